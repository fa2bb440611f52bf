#include "TandrelApp.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLocale>
#include <QPushButton>
#include <QTranslator>

#include "Classes/Controller.h"
#include "CreateDirDelegate.h"
#include "CustomWindow.h"
#include "DeleteDelegate.h"
#include "DownloadDelegate.h"
#include "UploadDelegate.h"
#include "ui_FtpSettingPanel.h"

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
    , download(std::make_unique<DownloadDelegate>())
    , upload(std::make_unique<UploadDelegate>())
    , createDir(std::make_unique<CreateDirDelegate>())
    , remove(std::make_unique<DeleteDelegate>())
{
    Ui::FtpSettingPanel panelUi;
    panelUi.setupUi(settingPanel);
    mainController->connectOutlets(mainWindow.get(), mainWindow->outlets(), settingPanel, panelUi);
    Controller* controller = mainController.get();
    download->controller = controller;
    upload->controller = controller;
    createDir->controller = controller;
    remove->controller = controller;
    QObject::connect(controller->downloadButton, &QPushButton::clicked, download.get(),
                     &DownloadDelegate::download);
    QObject::connect(controller->uploadButton, &QPushButton::clicked, upload.get(),
                     &UploadDelegate::uploadAction);
    QObject::connect(controller->createDirButton, &QPushButton::clicked, createDir.get(),
                     &CreateDirDelegate::createDirAction);
    QObject::connect(controller->deleteButton, &QPushButton::clicked, remove.get(),
                     &DeleteDelegate::deleteAction);
    QObject::connect(controller->cancelButton, &QPushButton::clicked, controller,
                     &RemoteOperation::cancelRunning);
    QObject::connect(controller->cancelItem, &QAction::triggered, controller,
                     &RemoteOperation::cancelRunning);
    mainController->awakeFromNib();
}

TandrelApp::~TandrelApp()
{
    // The operations use the controller, whose outlets point into the window: they go first,
    // then the controller.
    remove.reset();
    createDir.reset();
    upload.reset();
    download.reset();
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
