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
#include "DownloadDelegate.h"
#include "MiscTool.h"
#include "UploadDelegate.h"
#include "platform/Log.h"
#include "platform/RemoteName.h"
#include "platform/UserDefaults.h"
#include "platform/toolkit/Toolkit.h"

namespace {

// The running row is repainted at most this often: a chunk arrives every few microseconds.
constexpr qint64 kShowEveryMs = 250;

QString text(const char* id, const char* english)
{
    return OperationOutcome::localizedText(id, english);
}

QString duration(int64_t seconds)
{
    if (seconds >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// Links show as folders but are downloaded as the files they may name.
bool isFolder(const ListingEntry& entry)
{
    return RemoteFolder::isFolder(entry) && MiscTool::getFileType(entry) != kEntryTypeLink;
}

// A local folder as the user knows it: the home folder shown as "~".
QString shownFolder(const QString& path)
{
    const QString home = MiscTool::getUserHome();
    if (home != QLatin1String("/") && (path == home || path.startsWith(home + QLatin1Char('/'))))
        return QLatin1Char('~') + path.mid(home.size());
    return path;
}

// A walk lives until the event loop has left whatever call of its own ended it.
std::shared_ptr<TreeWalk> makeWalk(TreeWalk::Direction direction, const QString& remoteFolder,
                                   const QString& localFolder)
{
    return std::shared_ptr<TreeWalk>(new TreeWalk(direction, remoteFolder, localFolder),
                                     [](TreeWalk* walk) { walk->deleteLater(); });
}

// Bytes per second of this run alone: a continued download's bytes already on the disk
// were not moved now.
double speedOf(const TransferQueue::Transfer& transfer)
{
    const double seconds = static_cast<double>(transfer.clock.elapsed()) / 1000.0;
    const int64_t moved = transfer.doneBytes - transfer.bytesBeforeRun;
    return seconds > 0 && moved > 0 ? static_cast<double>(moved) / seconds : 0;
}

bool existsOrDangles(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

TransferQueue::TransferQueue(Controller* controller, const RemoteFolder* remote,
                             DownloadDelegate* download, UploadDelegate* upload, QObject* parent)
    : QAbstractTableModel(parent)
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
    transfer.state = State::Finished;
    transfer.succeeded = outcome.succeeded();
    //% "Done"
    transfer.outcome = outcome.succeeded() ? text("QueueDone", "Done") : outcome.statusLine();
    if (transfer.succeeded && transfer.size >= 0)
        transfer.doneBytes = transfer.size;
    transfer.bytesPerSecond = speedOf(transfer);
    if (transfer.direction == Direction::Upload && transfer.succeeded)
        reloadOwed = !upload->reloadAfterSuccess;
    // A success says where the file went; a failure has said why in the status line already.
    if (transfer.direction == Direction::Download && transfer.succeeded &&
        outcome.statusLine().isEmpty())
        //% "Downloaded %1 to %2"
        controller->showStatus(
            text("StatusDownloaded", "Downloaded %1 to %2")
                .arg(transfer.name, shownFolder(QFileInfo(transfer.localPath).absolutePath())));
    rowChanged(row);
    emit fileEnded(transfer.name, transfer.outcome, transfer.doneBytes);
    // The browser stays locked through the hop to the next transfer.
    if (firstWaiting() >= 0 && remote->isConnected()) {
        holdingButtons = true;
        controller->setButtonsState(false);
    }
    scheduleNext();
}

void TransferQueue::makeWorkers(Direction direction)
{
    const bool down = direction == Direction::Download;
    const int wanted = MiscTool::transfersAtOnce();
    workers.clear();
    workers.push_back({down ? static_cast<RemoteOperation*>(download) : upload, {}, {}, 0, false});
    helpers.clear();
    for (int n = 1; n < wanted; ++n) {
        std::unique_ptr<RemoteOperation> helper;
        if (down)
            helper = std::make_unique<DownloadDelegate>();
        else
            helper = std::make_unique<UploadDelegate>();
        helper->controller = controller;
        helper->remote = remote;
        helper->helper = true;
        RemoteOperation* operation = helper.get();
        connect(operation, &RemoteOperation::progressed, this,
                [this, operation](int64_t done, int64_t total) {
                    if (batch)
                        batchProgressed(operation, done, total);
                    else if (Worker* worker = workerOf(operation))
                        worker->bytes = std::max(worker->bytes, done);
                });
        connect(operation, &RemoteOperation::finished, this,
                [this, operation](const OperationOutcome& outcome) {
                    if (batch) {
                        if (Worker* worker = batchWorkerOf(operation))
                            batchFileEnded(*worker, outcome);
                    } else if (Worker* worker = workerOf(operation)) {
                        folderFileEnded(*worker, outcome);
                    }
                });
        connect(operation, &RemoteOperation::started, this,
                [this, operation](OperationOutcome::Action, const QString& localPath) {
                    batchStarted(operation, localPath);
                });
        if (down)
            connect(static_cast<DownloadDelegate*>(operation), &DownloadDelegate::continuedFrom,
                    this, [this, operation](int64_t offset) {
                        if (Worker* worker = batchWorkerOf(operation))
                            items[worker->row].bytesBeforeRun = offset;
                    });
        workers.push_back({operation, {}, {}, 0, false});
        helpers.push_back(std::move(helper));
    }
    takingNext = false;
    walkDone = false;
    fewerNote.clear();
}

TransferQueue::Worker* TransferQueue::workerOf(const QObject* operation)
{
    if (running < 0 || !items[running].walk)
        return nullptr;
    for (Worker& worker : workers)
        if (worker.operation == operation && worker.file)
            return &worker;
    return nullptr;
}

void TransferQueue::folderStep()
{
    if (running < 0 || !items[running].walk || takingNext)
        return;
    const bool anyIdle = std::any_of(workers.begin(), workers.end(), [](const Worker& worker) {
        return !worker.file && !worker.retired;
    });
    if (walkDone || !anyIdle) {
        const bool anyBusy = std::any_of(workers.begin(), workers.end(),
                                         [](const Worker& worker) { return worker.file; });
        if (walkDone && !anyBusy)
            endFolder(std::nullopt);
        return;
    }
    takingNext = true;
    items[running].walk->takeNext([this](std::optional<TreeWalk::File> file) {
        takingNext = false;
        folderFileReady(std::move(file));
    });
}

void TransferQueue::folderFileReady(std::optional<TreeWalk::File> file)
{
    if (running < 0 || !items[running].walk)
        return;
    Transfer& transfer = items[running];
    TreeWalk& walk = *transfer.walk;
    transfer.filesFound = walk.filesFound;
    transfer.size = walk.bytesFound;
    rowChanged(running);
    if (!file) {
        walkDone = true;
        folderStep();
        return;
    }
    const auto idle = std::find_if(workers.begin(), workers.end(), [](const Worker& worker) {
        return !worker.file && !worker.retired;
    });
    if (idle == workers.end()) {
        walk.giveBack(std::move(*file));
        walkDone = false;
        return;
    }
    Worker& worker = *idle;
    const bool down = transfer.direction == Direction::Download;
    const QString ownName = MiscTool::getFileName(file->entry).value_or(QString());
    QString name = file->settledName.isEmpty() ? ownName : file->settledName;
    QString localPath = QDir(file->localFolder).filePath(down ? name : ownName);
    int64_t appendFrom = 0;
    if (file->settledName.isEmpty() &&
        (down ? existsOrDangles(localPath) : file->existing.has_value())) {
        if (!settleExisting(*file, name, localPath, appendFrom))
            return;
    }
    file->settledName = name;
    worker.shownPath = Log::printable(
        QDir(QFileInfo(transfer.localPath).absolutePath()).relativeFilePath(localPath));
    worker.bytes = 0;
    worker.file = std::move(file);
    std::optional<OperationOutcome> refused;
    if (down) {
        refused = static_cast<DownloadDelegate*>(worker.operation)
                      ->startDownload(worker.file->entry, worker.file->remoteFolder,
                                      worker.file->localFolder, name);
    } else {
        auto* sender = static_cast<UploadDelegate*>(worker.operation);
        // The folder shown is listed once, at the folder's end.
        sender->reloadAfterSuccess = false;
        refused = sender->startUpload(localPath, worker.file->remoteFolder, name, appendFrom);
    }
    if (refused) {
        folderFileEnded(worker, *refused);
        return;
    }
    // The next idle worker takes the next file.
    folderStep();
}

namespace {

// The server refused another connection: too many users or connections (421, or 530 for the
// login on a connection past its limit).
bool refusedAnotherConnection(const OperationOutcome& outcome)
{
    static const QRegularExpression codes(QStringLiteral("\\b(421|530)\\b"));
    return outcome.kind == OperationOutcome::Kind::StreamOpenError &&
           codes.match(outcome.detail).hasMatch();
}

} // namespace

void TransferQueue::folderFileEnded(Worker& worker, const OperationOutcome& outcome)
{
    if (!worker.file)
        return;
    Transfer& transfer = items[running];
    TreeWalk::File file = std::move(*worker.file);
    worker.file.reset();
    const int64_t bytes = worker.bytes;
    worker.bytes = 0;
    if (outcome.kind == OperationOutcome::Kind::Cancelled) {
        endFolder(outcome.statusLine());
        return;
    }
    const auto othersWorking = std::count_if(workers.begin(), workers.end(), [&](const Worker& w) {
        return &w != &worker && !w.retired;
    });
    if (othersWorking > 0 && refusedAnotherConnection(outcome)) {
        // The connections that work go on; the file waits for one of them.
        worker.retired = true;
        transfer.walk->giveBack(std::move(file));
        walkDone = false;
        const bool first = fewerNote.isEmpty();
        const auto working = std::count_if(workers.begin(), workers.end(),
                                           [](const Worker& w) { return !w.retired; });
        //% "The server refused another connection: going on with %1"
        fewerNote = text("StatusFewerConnections",
                         "The server refused another connection: going on with %1")
                        .arg(working);
        if (first)
            controller->showStatus(fewerNote);
    } else if (outcome.succeeded()) {
        ++transfer.filesDone;
        transfer.bytesOfFilesDone += bytes;
        emit fileEnded(worker.shownPath, text("QueueDone", "Done"), bytes);
    } else if (file.link) {
        // A link that the server would not serve as a file names a folder, or nothing: it is
        // not followed.
        ++transfer.filesSkipped;
        //% "a link to no file"
        transfer.problems.append(worker.shownPath + QStringLiteral(": ") +
                                 text("QueueLinkNotFile", "a link to no file"));
        emit fileEnded(worker.shownPath, text("QueueLinkNotFile", "a link to no file"), 0);
    } else {
        ++transfer.filesFailed;
        const QString problem = worker.shownPath + QStringLiteral(": ") + outcome.statusLine();
        if (transfer.problems.size() < TreeWalk::kMaxProblems)
            transfer.problems.append(problem);
        transfer.failedFiles.append({std::move(file), problem});
        emit fileEnded(worker.shownPath, outcome.statusLine(), bytes);
        if (outcome.diskFull) {
            stopForFullDisk();
            return;
        }
    }
    transfer.doneBytes = transfer.bytesOfFilesDone;
    for (const Worker& other : workers)
        transfer.doneBytes += other.bytes;
    rowChanged(running);
    // The browser stays locked until the folder's end.
    controller->setButtonsState(false);
    // Out of the ending file's own stream event: the next one opens its streams afresh.
    QTimer::singleShot(0, this, &TransferQueue::folderStep);
}

void TransferQueue::endFolder(const std::optional<QString>& stopped)
{
    // A stop ends every file still moving; their ends are not counted.
    for (Worker& worker : workers) {
        if (!worker.file)
            continue;
        worker.file.reset();
        worker.operation->cancel();
    }
    Transfer& transfer = items[running];
    const int row = running;
    running = -1;
    if (transfer.walk) {
        transfer.walk->stop();
        transfer.filesSkipped += transfer.walk->skipped;
        transfer.filesFailed += transfer.walk->failedFolders;
        transfer.problems = transfer.walk->problems + transfer.problems;
        transfer.walk.reset();
    }
    transfer.state = State::Finished;
    transfer.succeeded = !stopped && transfer.filesFailed == 0;
    transfer.bytesPerSecond = speedOf(transfer);
    QString summary = transfer.filesDone == 1
                          //% "1 file"
                          ? text("QueueFolderOneFile", "1 file")
                          //% "%L1 files"
                          : text("QueueFolderFiles", "%L1 files").arg(transfer.filesDone);
    if (transfer.filesSkipped > 0)
        //% "%L1 skipped"
        summary += QStringLiteral(", ") +
                   text("QueueFolderSkipped", "%L1 skipped").arg(transfer.filesSkipped);
    if (transfer.filesFailed > 0)
        //% "%L1 failed"
        summary += QStringLiteral(", ") +
                   text("QueueFolderFailed", "%L1 failed").arg(transfer.filesFailed);
    transfer.outcome = stopped ? *stopped + QStringLiteral(" (") + summary + QLatin1Char(')')
                       : transfer.succeeded
                           ? text("QueueDone", "Done") + QStringLiteral(": ") + summary
                           : summary;
    QString line =
        transfer.direction == Direction::Download
            //% "Downloaded %1 to %2 (%3)"
            ? text("StatusDownloadedFolder", "Downloaded %1 to %2 (%3)")
                  .arg(transfer.name, shownFolder(QFileInfo(transfer.localPath).absolutePath()),
                       summary)
            //% "Uploaded %1 (%2)"
            : text("StatusUploadedFolder", "Uploaded %1 (%2)").arg(transfer.name, summary);
    if (stopped)
        line = transfer.outcome;
    // Said once when it happened, and at the end with the connections that went on.
    if (!fewerNote.isEmpty())
        line += QStringLiteral("; ") + fewerNote;
    controller->showStatus(line);
    if (transfer.direction == Direction::Upload)
        reloadOwed = remote->isConnected();
    rowChanged(row);
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
        if (sinceShown.elapsed() < kShowEveryMs)
            return;
        sinceShown.start();
        transfer.bytesPerSecond = speedOf(transfer);
        rowChanged(running);
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

void TransferQueue::rowChanged(int row)
{
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
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
        return QAbstractTableModel::eventFilter(watched, event);
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
    return parent.isValid() ? 0 : static_cast<int>(items.size());
}

int TransferQueue::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TransferQueue::data(const QModelIndex& index, int role) const
{
    // A cell too narrow for its text ends in "…"; the tool tip holds the whole of it, and for a
    // folder what failed or was skipped in it.
    if (role == Qt::ToolTipRole &&
        (index.column() == NameColumn || index.column() == OutcomeColumn)) {
        if (index.column() == OutcomeColumn && index.row() < items.size() &&
            !items[index.row()].problems.isEmpty())
            return QString(data(index, Qt::DisplayRole).toString() + QLatin1Char('\n') +
                           items[index.row()].problems.join(QLatin1Char('\n')));
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

bool TransferQueue::joinsBatch(int row) const
{
    return row >= 0 && items[row].state == State::Waiting && !items[row].folder &&
           items[row].direction == batchDirection;
}

bool TransferQueue::startBatch(int row)
{
    if (MiscTool::transfersAtOnce() < 2)
        return false;
    // Worth it only when the next waiting file can go beside this one.
    batchDirection = items[row].direction;
    int next = row + 1;
    while (next < items.size() && items[next].state != State::Waiting)
        ++next;
    if (next >= items.size() || !joinsBatch(next))
        return false;
    makeWorkers(batchDirection);
    batch = true;
    sinceShown.start();
    // The browser stays locked between the files.
    holdingButtons = true;
    controller->setButtonsState(false);
    batchStep();
    return true;
}

void TransferQueue::batchStep()
{
    if (!batch)
        return;
    const bool down = batchDirection == Direction::Download;
    for (size_t n = 0; n < workers.size(); ++n) {
        Worker& worker = workers[n];
        if (worker.row >= 0 || worker.retired)
            continue;
        // The window's own operation may be taken by another (a link's download) meanwhile.
        if (worker.operation->helper ? worker.operation->isRunning()
                                     : RemoteOperation::running() != nullptr)
            continue;
        const int row = firstWaiting();
        if (!joinsBatch(row))
            break;
        Transfer& transfer = items[row];
        transfer.state = State::Running;
        transfer.clock.start();
        worker.row = row;
        rowChanged(row);
        // Copies: a start that fails at once ends the transfer before it answers.
        const Transfer started = transfer;
        std::optional<OperationOutcome> refused;
        if (down) {
            refused = static_cast<DownloadDelegate*>(worker.operation)
                          ->startDownload(started.entry, started.folderURL);
            //% "Downloading %1"
            controller->showStatus(text("StatusDownloading", "Downloading %1").arg(started.name));
        } else {
            auto* sender = static_cast<UploadDelegate*>(worker.operation);
            // The folder shown is listed once, when the last file has gone.
            sender->reloadAfterSuccess = false;
            refused = sender->startUpload(started.localPath, started.folderURL);
            //% "Uploading %1"
            controller->showStatus(text("StatusUploading", "Uploading %1").arg(started.name));
        }
        if (refused && worker.row == row)
            batchFileEnded(worker, *refused);
    }
    if (std::any_of(workers.begin(), workers.end(),
                    [](const Worker& worker) { return worker.row >= 0; }))
        return;
    batch = false;
    if (!fewerNote.isEmpty())
        controller->showStatus(controller->statusLabel->text() + QStringLiteral("; ") + fewerNote);
    scheduleNext();
}

void TransferQueue::batchFileEnded(Worker& worker, const OperationOutcome& outcome)
{
    const int row = worker.row;
    if (row < 0)
        return;
    worker.row = -1;
    Transfer& transfer = items[row];
    const auto othersWorking = std::count_if(workers.begin(), workers.end(), [&](const Worker& w) {
        return &w != &worker && !w.retired;
    });
    if (othersWorking > 0 && refusedAnotherConnection(outcome)) {
        // The connections that work go on; the file waits for one of them.
        worker.retired = true;
        transfer.state = State::Waiting;
        transfer.doneBytes = transfer.bytesBeforeRun = 0;
        const bool first = fewerNote.isEmpty();
        fewerNote = text("StatusFewerConnections",
                         "The server refused another connection: going on with %1")
                        .arg(othersWorking);
        if (first)
            controller->showStatus(fewerNote);
    } else {
        transfer.state = State::Finished;
        transfer.succeeded = outcome.succeeded();
        transfer.outcome = outcome.succeeded() ? text("QueueDone", "Done") : outcome.statusLine();
        if (transfer.succeeded && transfer.size >= 0)
            transfer.doneBytes = transfer.size;
        transfer.bytesPerSecond = speedOf(transfer);
        if (transfer.direction == Direction::Upload && transfer.succeeded)
            reloadOwed = true;
        if (transfer.direction == Direction::Download && transfer.succeeded &&
            outcome.statusLine().isEmpty())
            controller->showStatus(
                text("StatusDownloaded", "Downloaded %1 to %2")
                    .arg(transfer.name, shownFolder(QFileInfo(transfer.localPath).absolutePath())));
        emit fileEnded(transfer.name, transfer.outcome, transfer.doneBytes);
    }
    rowChanged(row);
    // The browser stays locked until the last file's end.
    controller->setButtonsState(false);
    // Out of the ending file's own stream event: the next one opens its streams afresh.
    QTimer::singleShot(0, this, &TransferQueue::batchStep);
}

TransferQueue::Worker* TransferQueue::batchWorkerOf(const QObject* operation)
{
    if (!batch)
        return nullptr;
    for (Worker& worker : workers)
        if (worker.operation == operation && worker.row >= 0)
            return &worker;
    return nullptr;
}

void TransferQueue::batchProgressed(const QObject* operation, int64_t done, int64_t total)
{
    Worker* worker = batchWorkerOf(operation);
    if (!worker)
        return;
    Transfer& transfer = items[worker->row];
    // A download that starts over reports from 0 again: keep the most.
    transfer.doneBytes = std::max(transfer.doneBytes, done);
    if (transfer.direction == Direction::Download && total > 0)
        transfer.size = total;
    if (sinceShown.elapsed() < kShowEveryMs)
        return;
    sinceShown.start();
    for (const Worker& moving : workers) {
        if (moving.row < 0)
            continue;
        items[moving.row].bytesPerSecond = speedOf(items[moving.row]);
        rowChanged(moving.row);
    }
}

void TransferQueue::batchStarted(const QObject* operation, const QString& localPath)
{
    if (Worker* worker = batchWorkerOf(operation);
        worker && items[worker->row].direction == Direction::Download)
        items[worker->row].localPath = localPath;
}
