#pragma once

#include <memory>

class QApplication;
class QDialog;
class QLocale;
class CustomWindow;
class Controller;

// Everything the main interface file creates, made and connected as at start-up: the window,
// the settings panel and the controller. The app, the GUI tests and tandrel-drive use it.
class TandrelApp final
{
public:
    TandrelApp();
    ~TandrelApp();

    // Loads the string table for the given language (English where there is none).
    static void loadTranslations(QApplication& app, const QLocale& locale);

    CustomWindow* window() const { return mainWindow.get(); }
    QDialog* panel() const { return settingPanel; }
    Controller* controller() const { return mainController.get(); }

private:
    std::unique_ptr<CustomWindow> mainWindow;
    QDialog* settingPanel = nullptr; // owned by the window
    std::unique_ptr<Controller> mainController;
};
