#pragma once

#include <memory>

class QApplication;
class QDialog;
class QLocale;
class CustomWindow;
class Controller;
class CreateDirDelegate;
class DeleteDelegate;
class DownloadDelegate;
class TransferQueue;
class RenameDelegate;
class UploadDelegate;
namespace Ui {
class CustomWindow;
}

// Everything the main interface file creates, made and connected as at start-up: the window
// (where it was left last time), the settings panel, the controller, the remote operations with
// their buttons and the transfer queue with its tab. The app, the GUI tests and tandrel-drive
// use it.
class TandrelApp final
{
public:
    TandrelApp();
    ~TandrelApp();

    // Loads Qt's own and Tandrel's tables for the language; a text the language lacks shows in
    // English. A later call replaces the tables of an earlier one.
    static void loadTranslations(QApplication& app, const QLocale& locale);

    CustomWindow* window() const { return mainWindow.get(); }
    QDialog* panel() const { return settingPanel; }
    Controller* controller() const { return mainController.get(); }
    DownloadDelegate* downloadDelegate() const { return download.get(); }
    UploadDelegate* uploadDelegate() const { return upload.get(); }
    CreateDirDelegate* createDirDelegate() const { return createDir.get(); }
    DeleteDelegate* deleteDelegate() const { return remove.get(); }
    TransferQueue* transferQueue() const { return queue.get(); }
    RenameDelegate* renameDelegate() const { return rename.get(); }

private:
    // The Queue tab's list of transfers, its Remove button and Delete key, its Clear button.
    void showQueue(const Ui::CustomWindow& ui);

    std::unique_ptr<CustomWindow> mainWindow;
    QDialog* settingPanel = nullptr; // owned by the window
    std::unique_ptr<Controller> mainController;
    std::unique_ptr<DownloadDelegate> download;
    std::unique_ptr<UploadDelegate> upload;
    std::unique_ptr<CreateDirDelegate> createDir;
    std::unique_ptr<DeleteDelegate> remove;
    std::unique_ptr<TransferQueue> queue;
    std::unique_ptr<RenameDelegate> rename;
};
