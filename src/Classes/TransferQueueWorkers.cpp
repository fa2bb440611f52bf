// The workers: a folder's files, and single files side by side, moving on several connections
// at once, each logged in once and reused.

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
#include "Classes/QueueDisplay.h"
#include "Classes/RemoteFolder.h"
#include "Classes/TransferQueue.h"
#include "Classes/TransferQueueParts.h"
#include "DownloadDelegate.h"
#include "MiscTool.h"
#include "UploadDelegate.h"
#include "platform/Log.h"
#include "platform/RemoteName.h"
#include "platform/UserDefaults.h"
#include "platform/toolkit/Toolkit.h"

using namespace transfer_queue;

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
    holdWindow(true);
}

void TransferQueue::holdWindow(bool held)
{
    download->buttonsHeld = held;
    upload->buttonsHeld = held;
    if (controller->queueDisplay)
        controller->queueDisplay->hold(held);
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
    // Its row below the folder's stays where it was among the waiting ones.
    if (file)
        fileTaken(*file);
    transfer.filesFound = walk.filesFound;
    transfer.size = walk.bytesFound;
    folderRowChanged();
    if (!file) {
        walkDone = true;
        folderStep();
        return;
    }
    const auto idle = std::find_if(workers.begin(), workers.end(), [](const Worker& worker) {
        return !worker.file && !worker.retired;
    });
    if (idle == workers.end()) {
        giveBack(std::move(*file));
        walkDone = false;
        return;
    }
    Worker& worker = *idle;
    const bool down = transfer.direction == Direction::Download;
    const QString ownName = MiscTool::getFileName(file->entry).value_or(QString());
    QString name = file->settledName.isEmpty() ? ownName : file->settledName;
    QString localPath = QDir(file->localFolder()).filePath(down ? name : ownName);
    int64_t appendFrom = 0;
    if (file->settledName.isEmpty() &&
        (down ? existsOrDangles(localPath) : file->existing != nullptr)) {
        const quintptr id = transfer.id;
        const int skippedBefore = transfer.filesSkipped;
        const int failedBefore = transfer.filesFailed;
        if (!settleExisting(*file, name, localPath, appendFrom)) {
            // Kept, or no name beside it; a folder stopped meanwhile has said so for it.
            if (const int row = rowOfId(id); row >= 0) {
                Transfer& settled = items[row];
                if (settled.filesSkipped > skippedBefore)
                    //% "already there"
                    setFileState(settled, file->row, FileState::Skipped,
                                 text("QueueFileThere", "already there"));
                else if (settled.filesFailed > failedBefore)
                    setFileState(settled, file->row, FileState::Failed,
                                 text("QueueNoFreeName", "no free name beside the file there"));
                rowChanged(row);
            }
            return;
        }
    }
    file->settledName = name;
    worker.shownPath = Log::printable(
        QDir(QFileInfo(transfer.localPath).absolutePath()).relativeFilePath(localPath));
    worker.bytes = 0;
    worker.file = std::move(file);
    std::optional<OperationOutcome> refused;
    if (down) {
        refused = static_cast<DownloadDelegate*>(worker.operation)
                      ->startDownload(worker.file->entry, worker.file->remoteFolder(),
                                      worker.file->localFolder(), name);
    } else {
        auto* sender = static_cast<UploadDelegate*>(worker.operation);
        // The folder shown is listed once, at the folder's end.
        sender->reloadAfterSuccess = false;
        refused = sender->startUpload(localPath, worker.file->remoteFolder(), name, appendFrom);
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
        giveBack(std::move(file));
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
        setFileState(transfer, file.row, FileState::Done);
        emit fileEnded(worker.shownPath, text("QueueDone", "Done"), bytes);
    } else if (file.link) {
        // A link that the server would not serve as a file names a folder, or nothing: it is
        // not followed.
        ++transfer.filesSkipped;
        setFileState(transfer, file.row, FileState::Skipped,
                     text("QueueLinkNotFile", "a link to no file"));
        //% "a link to no file"
        transfer.problems.append(worker.shownPath + QStringLiteral(": ") +
                                 text("QueueLinkNotFile", "a link to no file"));
        emit fileEnded(worker.shownPath, text("QueueLinkNotFile", "a link to no file"), 0);
    } else {
        ++transfer.filesFailed;
        setFileState(transfer, file.row, FileState::Failed, outcome.statusLine());
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
    folderRowChanged();
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
    // Its files that were moving or waiting to run again say why they stopped; those not
    // reached go with the walk.
    if (stopped)
        for (size_t file = 0; file < filesHandedOut(transfer); ++file)
            if ((*transfer.files)[file].state == FileState::Moving ||
                (*transfer.files)[file].state == FileState::Waiting)
                setFileState(transfer, static_cast<int>(file), FileState::Stopped, *stopped);
    transfer.waitingInFiles = 0;
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
    holdWindow(false);
    rowChanged(row);
    scheduleNext();
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
    holdWindow(false);
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
        settle(transfer, outcome);
        if (transfer.direction == Direction::Upload && transfer.succeeded)
            reloadOwed = true;
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
