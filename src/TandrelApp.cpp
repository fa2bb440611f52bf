#include "TandrelApp.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTranslator>
#include <QTreeView>

#include "Classes/Controller.h"
#include "Classes/ListingSortFilter.h"
#include "Classes/QueueDisplay.h"
#include "Classes/TransferQueue.h"
#include "CreateDirDelegate.h"
#include "CustomWindow.h"
#include "DeleteDelegate.h"
#include "DownloadDelegate.h"
#include "OperationOutcome.h"
#include "RenameDelegate.h"
#include "UploadDelegate.h"
#include "WindowState.h"
#include "ui_CustomWindow.h"
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
    , rename(std::make_unique<RenameDelegate>())
{
    Ui::FtpSettingPanel panelUi;
    panelUi.setupUi(settingPanel);
    mainController->connectOutlets(mainWindow.get(), mainWindow->outlets(), settingPanel, panelUi);
    Controller* controller = mainController.get();
    download->controller = controller;
    upload->controller = controller;
    createDir->controller = controller;
    remove->controller = controller;
    rename->controller = controller;
    for (RemoteOperation* operation : std::initializer_list<RemoteOperation*>{
             download.get(), upload.get(), createDir.get(), remove.get(), rename.get()})
        operation->remote = controller->remote;
    // The display hears of a transfer's start and end first, the queue list after it; the queue
    // list hears of progress before the display, whose watchers may cancel.
    QueueDisplay* display = controller->queueDisplay;
    for (RemoteOperation* operation :
         std::initializer_list<RemoteOperation*>{download.get(), upload.get()}) {
        QObject::connect(operation, &RemoteOperation::started, display, &QueueDisplay::showStart);
        QObject::connect(operation, &RemoteOperation::finished, display, &QueueDisplay::reset);
    }
    queue = std::make_unique<TransferQueue>(controller, controller->remote, download.get(),
                                            upload.get());
    for (RemoteOperation* operation :
         std::initializer_list<RemoteOperation*>{download.get(), upload.get()})
        QObject::connect(operation, &RemoteOperation::progressed, display,
                         &QueueDisplay::showProgress);
    queue->watchOperation(createDir.get());
    queue->watchOperation(remove.get());
    queue->acceptDrops(controller->serverTable->viewport());
    showQueue(mainWindow->outlets());
    QObject::connect(controller->downloadButton, &QPushButton::clicked, queue.get(),
                     &TransferQueue::downloadSelection);
    QObject::connect(controller, &Controller::disconnected, queue.get(),
                     &TransferQueue::dropWaiting);
    QObject::connect(controller, &Controller::linkDownloadRequested, download.get(),
                     [this](const ListingEntry& entry, const QString& folderURL) {
                         download->startDownload(entry, folderURL);
                     });
    QObject::connect(controller->uploadButton, &QPushButton::clicked, upload.get(),
                     &UploadDelegate::uploadAction);
    QObject::connect(controller->createDirButton, &QPushButton::clicked, createDir.get(),
                     &CreateDirDelegate::createDirAction);
    QObject::connect(controller->deleteButton, &QPushButton::clicked, remove.get(),
                     &DeleteDelegate::deleteAction);
    // Queued: the name cell's editor has closed before the request blocks and the folder is
    // listed again.
    QObject::connect(controller->tableSorter, &ListingSortFilter::renameRequested, rename.get(),
                     &RenameDelegate::renameEntry, Qt::QueuedConnection);
    QObject::connect(controller->cancelButton, &QPushButton::clicked, controller,
                     &RemoteOperation::cancelRunning);
    QObject::connect(controller->cancelItem, &QAction::triggered, controller,
                     &RemoteOperation::cancelRunning);
    QObject::connect(controller->cancelItem, &QAction::triggered, controller,
                     &Controller::cancelListing);
    // A folder's files may still move beside the window's own operation after it has ended.
    QObject::connect(controller->cancelButton, &QPushButton::clicked, queue.get(),
                     &TransferQueue::cancelFolder);
    QObject::connect(controller->cancelItem, &QAction::triggered, queue.get(),
                     &TransferQueue::cancelFolder);
    mainController->awakeFromNib();
    WindowState::restore(*mainController);
}

void TandrelApp::showQueue(const Ui::CustomWindow& ui)
{
    QTreeView* table = ui.queueTable;
    table->setModel(queue.get());
    // The bars and the Cancel button keep their room while hidden: each file of a folder shows
    // and hides them, and the table below would otherwise move and be laid out and painted
    // whole each time.
    for (QWidget* shownWhileMoving :
         std::initializer_list<QWidget*>{ui.progress, ui.progress0, ui.cancelButton}) {
        QSizePolicy policy = shownWhileMoving->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        shownWhileMoving->setSizePolicy(policy);
    }
    table->header()->setSectionResizeMode(TransferQueue::NameColumn, QHeaderView::Stretch);
    TransferQueue* transfers = queue.get();
    // The selected transfers' rows: a folder's file rows below it are not transfers of their own.
    const auto selectedRows = [table] {
        QList<int> rows;
        for (const QModelIndex& index : table->selectionModel()->selectedRows())
            if (!index.parent().isValid())
                rows.append(index.row());
        return rows;
    };
    const auto removeSelected = [transfers, selectedRows] {
        transfers->removeWaiting(selectedRows());
    };
    QObject::connect(ui.removeTransferButton, &QPushButton::clicked, table, removeSelected);
    auto* deleteKey = new QShortcut(QKeySequence::Delete, table);
    deleteKey->setContext(Qt::WidgetShortcut);
    QObject::connect(deleteKey, &QShortcut::activated, table, removeSelected);
    QObject::connect(ui.clearTransfersButton, &QPushButton::clicked, transfers,
                     &TransferQueue::clearFinished);
    const auto retrySelected = [table, transfers] {
        transfers->retry(table->selectionModel()->selectedRows());
    };
    QObject::connect(ui.retryTransferButton, &QPushButton::clicked, table, retrySelected);
    auto* retryKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), table);
    retryKey->setContext(Qt::WidgetShortcut);
    QObject::connect(retryKey, &QShortcut::activated, table, retrySelected);
    // The row menu: the selected waiting rows off the queue and the running folder stopped with
    // its files; failed files run again, a folder's all or one alone.
    //% "Cancel"
    auto* cancelItem =
        new QAction(OperationOutcome::localizedText("QueueCancelItem", "Cancel"), table);
    cancelItem->setObjectName(QStringLiteral("cancelTransferItem"));
    QObject::connect(cancelItem, &QAction::triggered, table, [transfers, selectedRows] {
        const QList<int> rows = selectedRows();
        const QList<TransferQueue::Transfer>& all = transfers->transfers();
        const bool folderRuns = std::any_of(rows.begin(), rows.end(), [&all](int row) {
            return all[row].folder && all[row].state == TransferQueue::State::Running;
        });
        transfers->removeWaiting(rows);
        if (folderRuns)
            transfers->cancelFolder();
    });
    //% "Retry"
    auto* retryItem =
        new QAction(OperationOutcome::localizedText("QueueRetryItem", "Retry"), table);
    retryItem->setObjectName(QStringLiteral("retryTransferItem"));
    QObject::connect(retryItem, &QAction::triggered, table, retrySelected);
    table->addActions({cancelItem, retryItem});
    // A folder's files come a page at a time: the next once its last row shown is scrolled to.
    // Made and ended with the queue: the scroll bar moves while the window closes.
    QObject::connect(table->verticalScrollBar(), &QScrollBar::valueChanged, transfers,
                     [table, transfers] {
                         for (int row = 0; row < transfers->rowCount(); ++row) {
                             const QModelIndex folder = transfers->index(row, 0);
                             const int shown = transfers->rowCount(folder);
                             if (shown > 0 && table->isExpanded(folder) &&
                                 table->visualRect(transfers->index(shown - 1, 0, folder))
                                     .intersects(table->viewport()->rect()))
                                 transfers->showMoreFiles(folder);
                         }
                     });
    // Offered while a selected folder or file has failed files to run again.
    QPushButton* retry = ui.retryTransferButton;
    const auto offerRetry = [table, transfers, retry, retryItem] {
        const QModelIndexList rows = table->selectionModel()->selectedRows();
        const bool any =
            std::any_of(rows.begin(), rows.end(), [transfers](const QModelIndex& index) {
                return transfers->canRetry(index);
            });
        retry->setEnabled(any);
        retryItem->setEnabled(any);
    };
    QObject::connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, retry,
                     offerRetry);
    QObject::connect(transfers, &QAbstractItemModel::dataChanged, retry, offerRetry);
    QObject::connect(transfers, &QAbstractItemModel::rowsRemoved, retry, offerRetry);
    offerRetry();
}

TandrelApp::~TandrelApp()
{
    WindowState::save(*mainController);
    // The queue and the operations use the controller, whose outlets point into the window: they
    // go first, then the controller.
    queue.reset();
    rename.reset();
    remove.reset();
    createDir.reset();
    upload.reset();
    download.reset();
    mainController.reset();
}

void TandrelApp::loadTranslations(QApplication& app, const QLocale& locale)
{
    // One language at a time: a second call replaces the tables of the first.
    static QList<QPointer<QTranslator>> installed;
    for (const QPointer<QTranslator>& translator : std::as_const(installed)) {
        QApplication::removeTranslator(translator);
        delete translator;
    }
    installed.clear();
    const auto install = [&](const QString& name, const QString& folder, const QLocale* language) {
        auto* translator = new QTranslator(&app);
        if (language ? translator->load(*language, name, QStringLiteral("_"), folder)
                     : translator->load(name, folder)) {
            QApplication::installTranslator(translator);
            installed.append(translator);
        } else {
            delete translator;
        }
    };
    // Qt's own words: the file dialogs' and the message boxes' buttons.
    install(QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath), &locale);
    // English beneath the language's table: a text it lacks shows in English, not as its id.
    install(QStringLiteral("tandrel_en"), QStringLiteral(":/i18n"), nullptr);
    install(QStringLiteral("tandrel"), QStringLiteral(":/i18n"), &locale);
}
