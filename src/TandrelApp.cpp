#include "TandrelApp.h"

#include "Classes/Controller.h"
#include "CustomWindow.h"
#include "ui_FtpSettingPanel.h"

#include <QApplication>
#include <QDialog>
#include <QLocale>
#include <QTranslator>

// The images live in the static core library, whose resource initialiser the linker would drop.
static CustomWindow* makeWindow()
{
    Q_INIT_RESOURCE(resources);
    return new CustomWindow;
}

TandrelApp::TandrelApp()
    : mainWindow(makeWindow())
    , settingPanel(new QDialog(mainWindow.get(), Qt::Sheet))
    , mainController(std::make_unique<Controller>())
{
    Ui::FtpSettingPanel panelUi;
    panelUi.setupUi(settingPanel);
    mainController->connectOutlets(mainWindow.get(), settingPanel);
    mainController->awakeFromNib();
}

TandrelApp::~TandrelApp()
{
    // The controller's outlets point into the window: it goes first.
    mainController.reset();
}

void TandrelApp::loadTranslations(QApplication& app, const QLocale& locale)
{
    auto* translator = new QTranslator(&app);
    if (translator->load(locale, QStringLiteral("tandrel"), QStringLiteral("_"),
                         QStringLiteral(":/i18n")) ||
        translator->load(QStringLiteral(":/i18n/tandrel_en.qm")))
        QApplication::installTranslator(translator);
}
