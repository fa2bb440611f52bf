// Failed files of a folder run again, and a folder stopped by a full disk.

#include <algorithm>

#include <QUrl>

#include "Classes/Controller.h"
#include "Classes/RemoteFolder.h"
#include "Classes/TransferQueue.h"
#include "Classes/TransferQueueParts.h"
#include "RemoteOperation.h"

using namespace transfer_queue;

void TransferQueue::retryFailed(const QList<int>& rows)
{
    // The files go on the connection the window has now.
    if (!remote->isConnected())
        return;
    const QUrl now(remote->getCurrentFTPURL());
    bool any = false;
    for (const int row : rows) {
        if (row < 0 || row >= items.size())
            continue;
        Transfer& transfer = items[row];
        if (transfer.state != State::Finished || !transfer.folder || transfer.failedFiles.isEmpty())
            continue;
        // Never to another server than the folder's, with that server's login.
        const QUrl then(transfer.folderURL);
        if (then.scheme() != now.scheme() || then.host() != now.host() || then.port() != now.port())
            continue;
        // Counted as failed until they run: a disconnect meanwhile leaves them to retry.
        transfer.retrying.clear();
        for (const auto& failed : std::as_const(transfer.failedFiles))
            transfer.retrying.append(failed.first);
        transfer.state = State::Waiting;
        transfer.succeeded = false;
        transfer.outcome.clear();
        rowChanged(row);
        any = true;
    }
    if (!any)
        return;
    if (running < 0 && !RemoteOperation::running())
        startNext();
    else
        //% "Queued until the running operation ends"
        controller->showStatus(text("StatusQueued", "Queued until the running operation ends"));
}

void TransferQueue::startRetry(Transfer& transfer)
{
    for (const auto& failed : std::as_const(transfer.failedFiles))
        transfer.problems.removeOne(failed.second);
    transfer.filesFailed -= static_cast<int>(transfer.failedFiles.size());
    transfer.failedFiles.clear();
    transfer.walk->walkOnly(transfer.retrying);
    transfer.retrying.clear();
    // The row counts the tree as found before; its speed, the bytes of this run alone.
    transfer.walk->filesFound = transfer.filesFound;
    transfer.walk->bytesFound = transfer.size;
    transfer.bytesBeforeRun = transfer.bytesOfFilesDone;
}

void TransferQueue::stopForFullDisk()
{
    const int row = running;
    const Transfer& transfer = items[row];
    const int notFetched =
        std::max(0, transfer.filesFound - transfer.filesDone - transfer.filesSkipped);
    //% "No space left on the disk: %L1 done, %L2 not fetched"
    const QString line =
        text("StatusDiskFull", "No space left on the disk: %L1 done, %L2 not fetched")
            .arg(transfer.filesDone)
            .arg(notFetched);
    endFolder(line);
    // The row says it as the status line does.
    items[row].outcome = line;
    rowChanged(row);
    controller->showStatus(line);
}
