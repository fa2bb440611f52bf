#include "Classes/TransferQueue.h"

#include <algorithm>

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include "Classes/Controller.h"
#include "Classes/RemoteFolder.h"
#include "Classes/TransferQueueParts.h"
#include "DownloadDelegate.h"
#include "MiscTool.h"
#include "UploadDelegate.h"
#include "platform/Log.h"
#include "platform/RemoteName.h"
#include "platform/UserDefaults.h"
#include "platform/toolkit/Toolkit.h"

using namespace transfer_queue;

namespace {

QString duration(int64_t seconds)
{
    if (seconds >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// A folder's row lists in its tool tip no more of what failed or was skipped in it than this, and
// how many more: laying out a tool tip of the 2,000 lines it may hold takes a second.
constexpr qsizetype kToolTipProblems = 20;

// Links show as folders but are downloaded as the files they may name.
bool isFolder(const ListingEntry& entry)
{
    return RemoteFolder::isFolder(entry) && MiscTool::getFileType(entry) != kEntryTypeLink;
}

// A walk lives until the event loop has left whatever call of its own ended it.
std::shared_ptr<TreeWalk> makeWalk(TreeWalk::Direction direction, const QString& remoteFolder,
                                   const QString& localFolder)
{
    return std::shared_ptr<TreeWalk>(new TreeWalk(direction, remoteFolder, localFolder),
                                     [](TreeWalk* walk) { walk->deleteLater(); });
}

} // namespace

TransferQueue::TransferQueue(Controller* controller, const RemoteFolder* remote,
                             DownloadDelegate* download, UploadDelegate* upload, QObject* parent)
    : QAbstractItemModel(parent)
    , controller(controller)
    , remote(remote)
    , download(download)
    , upload(upload)
{
    for (RemoteOperation* operation :
         {static_cast<RemoteOperation*>(download), static_cast<RemoteOperation*>(upload)}) {
        connect(operation, &RemoteOperation::finished, this, &TransferQueue::transferEnded);
        connect(operation, &RemoteOperation::progressed, this, &TransferQueue::progressed);
    }
    // Where a download's file goes, as the download names it.
    connect(download, &RemoteOperation::started, this,
            [this](OperationOutcome::Action, const QString& localPath) {
                if (running >= 0 && !items[running].folder)
                    items[running].localPath = localPath;
                else if (batch)
                    batchStarted(this->download, localPath);
            });
    connect(download, &DownloadDelegate::continuedFrom, this, [this](int64_t offset) {
        if (running >= 0 && !items[running].folder)
            items[running].bytesBeforeRun = offset;
        else if (Worker* worker = batchWorkerOf(this->download))
            items[worker->row].bytesBeforeRun = offset;
    });
    connect(upload, &UploadDelegate::filesChosen, this, &TransferQueue::uploadFiles);
    showLater.setSingleShot(true);
    connect(&showLater, &QTimer::timeout, this, [this] {
        if (running >= 0 && items[running].folder)
            folderRowChanged();
    });
}

void TransferQueue::watchOperation(RemoteOperation* operation)
{
    connect(operation, &RemoteOperation::finished, this, [this] { scheduleNext(); });
}

void TransferQueue::downloadSelection()
{
    const QList<int> rows = controller->selectedRows();
    if (rows.isEmpty() || !remote->listEntries)
        return;
    const QString folderURL = remote->getCurrentFTPURL();
    QList<Transfer> batch;
    for (const int row : rows) {
        const ListingEntry* listed = remote->entryAt(row);
        if (!listed)
            continue;
        const ListingEntry& entry = *listed;
        Transfer transfer;
        transfer.direction = Direction::Download;
        const QString name = MiscTool::getFileName(entry).value_or(QString());
        transfer.name = Log::printable(name);
        transfer.folderURL = folderURL;
        transfer.entry = entry;
        transfer.size = entry.kCFFTPResourceSize && MiscTool::getFileType(entry) != kEntryTypeLink
                            ? *entry.kCFFTPResourceSize
                            : -1;
        if (isFolder(entry)) {
            // The tree goes into a folder of its name: a name that cannot be one is refused
            // as a single file's is.
            QString why = RemoteName::whyNotAddressable(RemoteFolder::rawNameOf(entry));
            if (why.isEmpty())
                why = RemoteName::whyNotSafeLocalName(name);
            if (!why.isEmpty()) {
                OperationOutcome refused;
                refused.kind = OperationOutcome::Kind::NameRefused;
                refused.subject = transfer.name;
                refused.detail = why;
                controller->showStatus(refused.statusLine());
                continue;
            }
            transfer.folder = true;
            transfer.size = -1;
        }
        batch.append(transfer);
    }
    enqueue(batch);
}

void TransferQueue::uploadFiles(const QStringList& paths)
{
    const QString folderURL = remote->getCurrentFTPURL();
    QList<Transfer> batch;
    for (const QString& path : paths) {
        Transfer transfer;
        transfer.direction = Direction::Upload;
        const QFileInfo info(path);
        transfer.name = Log::printable(info.fileName());
        transfer.localPath = info.absoluteFilePath();
        transfer.folderURL = folderURL;
        // A link to a folder is sent as a folder; inside it, links are not followed.
        transfer.folder = info.isDir();
        // The folder's name goes into a command: one that cannot be one entry is refused, as a
        // single file's is when it starts.
        if (const QString why = RemoteName::whyNotAddressable(QFile::encodeName(info.fileName()));
            transfer.folder && !why.isEmpty()) {
            OperationOutcome refused;
            refused.action = OperationOutcome::Action::Upload;
            refused.kind = OperationOutcome::Kind::NameRefused;
            refused.subject = transfer.name;
            refused.detail = why;
            controller->showStatus(refused.statusLine());
            continue;
        }
        transfer.size =
            transfer.folder ? -1 : static_cast<int64_t>(MiscTool::getLocalFileSize(path));
        batch.append(transfer);
    }
    enqueue(batch);
}

void TransferQueue::enqueue(const QList<Transfer>& batch)
{
    if (batch.isEmpty())
        return;
    const int first = static_cast<int>(items.size());
    beginInsertRows({}, first, first + static_cast<int>(batch.size()) - 1);
    items.append(batch);
    for (qsizetype row = first; row < items.size(); ++row)
        items[row].id = ++lastId;
    endInsertRows();
    if (this->batch) {
        // Idle connections of the files moving now take them at once.
        batchStep();
        if (items.last().state == State::Waiting)
            controller->showStatus(text("StatusQueued", "Queued until the running operation ends"));
        return;
    }
    // Started at once when the slot is free, so that one file behaves as it always did.
    if (running < 0 && !RemoteOperation::running())
        startNext();
    else
        //% "Queued until the running operation ends"
        controller->showStatus(text("StatusQueued", "Queued until the running operation ends"));
}

void TransferQueue::scheduleNext()
{
    if (startScheduled)
        return;
    startScheduled = true;
    // Out of the ending operation's own stream event: the next one opens its streams afresh.
    QTimer::singleShot(0, this, &TransferQueue::startNext);
}

void TransferQueue::startNext()
{
    startScheduled = false;
    if (batch) {
        batchStep();
        return;
    }
    if (running >= 0 || RemoteOperation::running())
        return; // the slot's end schedules the next attempt
    const int row = firstWaiting();
    if (row < 0) {
        if (holdingButtons) {
            holdingButtons = false;
            controller->setButtonsState(true);
        }
        if (reloadOwed) {
            reloadOwed = false;
            controller->reloadAction();
        }
        emit drained();
        return;
    }
    if (!items[row].folder && startBatch(row))
        return;
    Transfer& transfer = items[row];
    transfer.state = State::Running;
    transfer.clock.start();
    sinceShown.start();
    running = row;
    rowChanged(row);
    if (transfer.folder) {
        const bool down = transfer.direction == Direction::Download;
        if (down) {
            // A fresh account's default Downloads folder is made as for a single file; a folder
            // that cannot be used fails the tree's first folder with the reason.
            download->prepareDownloadFolder();
            transfer.localPath =
                QDir(controller->downloadFolder)
                    .filePath(MiscTool::getFileName(transfer.entry).value_or(QString()));
            transfer.walk =
                makeWalk(TreeWalk::Direction::Download,
                         RemoteFolder::urlIn(transfer.folderURL,
                                             RemoteFolder::rawNameOf(transfer.entry), true)
                             .value_or(QString()),
                         transfer.localPath);
            //% "Downloading %1"
            controller->showStatus(text("StatusDownloading", "Downloading %1").arg(transfer.name));
        } else {
            transfer.walk =
                makeWalk(TreeWalk::Direction::Upload,
                         RemoteFolder::urlIn(
                             transfer.folderURL,
                             QFile::encodeName(QFileInfo(transfer.localPath).fileName()), true)
                             .value_or(QString()),
                         transfer.localPath);
            //% "Uploading %1"
            controller->showStatus(text("StatusUploading", "Uploading %1").arg(transfer.name));
        }
        if (!transfer.retrying.isEmpty())
            startRetry(transfer);
        makeWorkers(transfer.direction);
        // The browser stays locked while the tree is walked between its files.
        holdingButtons = true;
        controller->setButtonsState(false);
        folderStep();
        return;
    }
    // Copies: a start that fails at once ends the transfer before it answers.
    const Transfer started = transfer;
    std::optional<OperationOutcome> refused;
    if (started.direction == Direction::Download) {
        refused = download->startDownload(started.entry, started.folderURL);
    } else {
        upload->reloadAfterSuccess = !uploadWaitsAfter(row);
        refused = upload->startUpload(started.localPath, started.folderURL);
    }
    if (refused) {
        transferEnded(*refused);
        return;
    }
    // A start that failed at once has ended the transfer and said why.
    if (running != row)
        return;
    // What the status line says meanwhile.
    if (started.direction == Direction::Download) {
        //% "Downloading %1"
        controller->showStatus(text("StatusDownloading", "Downloading %1").arg(started.name));
    } else {
        //% "Uploading %1"
        controller->showStatus(text("StatusUploading", "Uploading %1").arg(started.name));
    }
}

void TransferQueue::transferEnded(const OperationOutcome& outcome)
{
    if (batch) {
        if (Worker* worker = batchWorkerOf(sender()))
            batchFileEnded(*worker, outcome);
        else // an operation started elsewhere freed the window's own
            scheduleNext();
        return;
    }
    if (running < 0) {
        scheduleNext(); // an operation started elsewhere freed the slot
        return;
    }
    if (items[running].folder) {
        if (Worker* worker = workerOf(sender()))
            folderFileEnded(*worker, outcome);
        return;
    }
    Transfer& transfer = items[running];
    const int row = running;
    running = -1;
    settle(transfer, outcome);
    if (transfer.direction == Direction::Upload && transfer.succeeded)
        reloadOwed = !upload->reloadAfterSuccess;
    rowChanged(row);
    // The browser stays locked through the hop to the next transfer.
    if (firstWaiting() >= 0 && remote->isConnected()) {
        holdingButtons = true;
        controller->setButtonsState(false);
    }
    scheduleNext();
}

void TransferQueue::progressed(int64_t done, int64_t total)
{
    if (batch) {
        batchProgressed(sender(), done, total);
        return;
    }
    if (running < 0)
        return;
    Transfer& transfer = items[running];
    if (transfer.folder) {
        if (Worker* worker = workerOf(sender()))
            worker->bytes = std::max(worker->bytes, done);
        transfer.doneBytes = transfer.bytesOfFilesDone;
        for (const Worker& worker : workers)
            transfer.doneBytes += worker.bytes;
        folderRowChanged();
        return;
    }
    const bool down = transfer.direction == Direction::Download;
    // A download that starts over reports from 0 again: keep the most.
    transfer.doneBytes = std::max(transfer.doneBytes, done);
    // The server's size for a download wins over the listing's.
    if (down && total > 0)
        transfer.size = total;
    if (sinceShown.elapsed() < kShowEveryMs)
        return;
    sinceShown.start();
    transfer.bytesPerSecond = speedOf(transfer);
    rowChanged(running);
}

void TransferQueue::settle(Transfer& transfer, const OperationOutcome& outcome)
{
    transfer.state = State::Finished;
    transfer.succeeded = outcome.succeeded();
    //% "Done"
    transfer.outcome = outcome.succeeded() ? text("QueueDone", "Done") : outcome.statusLine();
    if (transfer.succeeded && transfer.size >= 0)
        transfer.doneBytes = transfer.size;
    transfer.bytesPerSecond = speedOf(transfer);
    // A success says where the file went; a failure has said why in the status line already.
    if (transfer.direction == Direction::Download && transfer.succeeded &&
        outcome.statusLine().isEmpty())
        //% "Downloaded %1 to %2"
        controller->showStatus(
            text("StatusDownloaded", "Downloaded %1 to %2")
                .arg(transfer.name, shownFolder(QFileInfo(transfer.localPath).absolutePath())));
    emit fileEnded(transfer.name, transfer.outcome, transfer.doneBytes);
}

void TransferQueue::folderRowChanged()
{
    if (const qint64 since = sinceShown.elapsed(); since < kShowEveryMs) {
        if (!showLater.isActive())
            showLater.start(static_cast<int>(kShowEveryMs - since));
        return;
    }
    sinceShown.start();
    showLater.stop();
    items[running].bytesPerSecond = speedOf(items[running]);
    rowChanged(running);
}

void TransferQueue::rowChanged(int row)
{
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
    if (items[row].filesOpened)
        showFiles(row);
}

int TransferQueue::firstWaiting() const
{
    for (int row = 0; row < items.size(); ++row)
        if (items[row].state == State::Waiting)
            return row;
    return -1;
}

bool TransferQueue::uploadWaitsAfter(int row) const
{
    return std::any_of(items.begin() + row + 1, items.end(), [](const Transfer& transfer) {
        return transfer.state == State::Waiting && transfer.direction == Direction::Upload;
    });
}

void TransferQueue::removeWaiting(const QList<int>& rows)
{
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    for (const int row : sorted) {
        if (row < 0 || row >= items.size())
            continue;
        // The running transfer stops with Cancel, not here.
        if (items[row].state == State::Waiting)
            eraseRow(row);
    }
}

void TransferQueue::clearFinished()
{
    for (int row = static_cast<int>(items.size()) - 1; row >= 0; --row)
        if (items[row].state == State::Finished)
            eraseRow(row);
}

void TransferQueue::eraseRow(int row)
{
    beginRemoveRows({}, row, row);
    items.removeAt(row);
    endRemoveRows();
    if (running > row)
        --running;
    for (Worker& worker : workers)
        if (worker.row > row)
            --worker.row;
}

void TransferQueue::cancelFolder()
{
    if (batch) {
        // Each file ends as cancelled in its own row; what waits goes on.
        for (size_t n = 0; n < workers.size(); ++n)
            if (workers[n].row >= 0)
                workers[n].operation->cancel();
        return;
    }
    if (running < 0 || !items[running].folder)
        return;
    OperationOutcome cancelled;
    cancelled.action = items[running].direction == Direction::Download
                           ? OperationOutcome::Action::Download
                           : OperationOutcome::Action::Upload;
    cancelled.kind = OperationOutcome::Kind::Cancelled;
    endFolder(cancelled.statusLine());
}

void TransferQueue::dropWaiting()
{
    // A folder between two of its files stops here; one moving a file has been cancelled.
    if (running >= 0 && items[running].folder && !RemoteOperation::running())
        //% "Stopped: disconnected"
        endFolder(text("QueueFolderDisconnected", "Stopped: disconnected"));
    // Files moving beside the window's own stop with it.
    if (batch)
        cancelFolder();
    holdingButtons = false;
    reloadOwed = false;
    for (int row = 0; row < items.size(); ++row) {
        if (items[row].state != State::Waiting)
            continue;
        items[row].state = State::Finished;
        items[row].retrying.clear();
        //% "Not started: disconnected"
        items[row].outcome = text("QueueDisconnected", "Not started: disconnected");
        rowChanged(row);
    }
}

void TransferQueue::acceptDrops(QWidget* target)
{
    target->setAcceptDrops(true);
    target->installEventFilter(this);
}

bool TransferQueue::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QAbstractItemModel::eventFilter(watched, event);
    auto* drop = static_cast<QDropEvent*>(event);
    // Local files only, and only while connected: the folder shown is where they go.
    const QList<QUrl> urls = drop->mimeData()->urls();
    const bool anyLocal =
        std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
    if (!anyLocal || !remote->isConnected()) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (type != QEvent::Drop)
        return true;
    QStringList paths;
    for (const QUrl& url : urls)
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    uploadFiles(paths);
    return true;
}

int TransferQueue::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return static_cast<int>(items.size());
    // Only a folder's own row has rows below it.
    if (parent.internalId() != 0 || parent.column() != 0 || parent.row() >= items.size())
        return 0;
    return items[parent.row()].filesShown;
}

int TransferQueue::columnCount(const QModelIndex&) const
{
    return ColumnCount;
}

QVariant TransferQueue::data(const QModelIndex& index, int role) const
{
    if (index.isValid() && index.internalId() != 0) {
        const int row = rowOfId(index.internalId());
        if (row < 0 || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
            return {};
        return fileData(items[row], index.row(), index.column());
    }
    // A cell too narrow for its text ends in "…"; the tool tip holds the whole of it, and for a
    // folder what failed or was skipped in it.
    if (role == Qt::ToolTipRole &&
        (index.column() == NameColumn || index.column() == OutcomeColumn)) {
        if (index.column() == OutcomeColumn && index.row() < items.size() &&
            !items[index.row()].problems.isEmpty()) {
            const QStringList& problems = items[index.row()].problems;
            QString tip =
                data(index, Qt::DisplayRole).toString() + QLatin1Char('\n') +
                problems.first(std::min(problems.size(), kToolTipProblems)).join(QLatin1Char('\n'));
            if (problems.size() > kToolTipProblems)
                //% "and %L1 more"
                tip += QLatin1Char('\n') + text("QueueMoreProblems", "and %L1 more")
                                               .arg(problems.size() - kToolTipProblems);
            return tip;
        }
        return data(index, Qt::DisplayRole);
    }
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= items.size())
        return {};
    const Transfer& transfer = items[index.row()];
    const bool runningNow = transfer.state == State::Running;
    switch (index.column()) {
    case NameColumn:
        return QString((transfer.direction == Direction::Download ? QStringLiteral("\u2193 ")
                                                                  : QStringLiteral("\u2191 ")) +
                       transfer.name + (transfer.folder ? QStringLiteral("/") : QString()));
    case SizeColumn:
        return transfer.size >= 0 ? MiscTool::convertBytes(static_cast<uint64_t>(transfer.size))
                                  : QStringLiteral("--");
    case SpeedColumn:
        if (transfer.state == State::Waiting || transfer.bytesPerSecond <= 0)
            return QString();
        return MiscTool::convertBytes(static_cast<uint64_t>(transfer.bytesPerSecond)) +
               QStringLiteral("/s");
    case TimeLeftColumn:
        if (!runningNow || transfer.bytesPerSecond <= 0 || transfer.size < 0)
            return QString();
        return duration(static_cast<int64_t>(
            static_cast<double>(std::max<int64_t>(0, transfer.size - transfer.doneBytes)) /
            transfer.bytesPerSecond));
    case OutcomeColumn:
        if (transfer.state == State::Waiting)
            //% "Waiting"
            return text("QueueWaiting", "Waiting");
        if (runningNow && transfer.folder)
            //% "%L1 of %L2 files"
            return text("QueueFolderRunning", "%L1 of %L2 files")
                .arg(transfer.filesDone + transfer.filesFailed + transfer.filesSkipped)
                .arg(transfer.filesFound);
        if (runningNow)
            //% "Running"
            return text("QueueRunning", "Running");
        return transfer.outcome;
    default:
        return {};
    }
}

QVariant TransferQueue::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn:
        //% "Name"
        return text("QueueName", "Name");
    case SizeColumn:
        //% "Size"
        return text("QueueSize", "Size");
    case SpeedColumn:
        //% "Speed"
        return text("QueueSpeed", "Speed");
    case TimeLeftColumn:
        //% "Time left"
        return text("QueueTimeLeft", "Time left");
    case OutcomeColumn:
        //% "Outcome"
        return text("QueueOutcome", "Outcome");
    default:
        return {};
    }
}
