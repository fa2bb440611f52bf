// Failed files of a folder run again, and a folder stopped by a full disk.

#include <algorithm>

#include <QHash>
#include <QSet>
#include <QUrl>

#include "Classes/Controller.h"
#include "Classes/RemoteFolder.h"
#include "Classes/TransferQueue.h"
#include "Classes/TransferQueueParts.h"
#include "RemoteOperation.h"

using namespace transfer_queue;

void TransferQueue::retry(const QModelIndexList& selected)
{
    // The files go on the connection the window has now.
    if (!remote->isConnected())
        return;
    // A folder's row stands for all its failed files; a file's row for itself.
    QHash<int, QSet<int>> chosen;
    QSet<int> whole;
    for (const QModelIndex& picked : selected) {
        if (!canRetry(picked))
            continue;
        if (picked.internalId() == 0)
            whole.insert(picked.row());
        else
            chosen[rowOfId(picked.internalId())].insert(picked.row());
    }
    for (const int row : std::as_const(whole))
        chosen[row].clear();
    const QUrl now(remote->getCurrentFTPURL());
    bool any = false;
    for (auto it = chosen.cbegin(); it != chosen.cend(); ++it) {
        Transfer& transfer = items[it.key()];
        // Never to another server than the folder's, with that server's login.
        const QUrl then(transfer.folderURL);
        if (then.scheme() != now.scheme() || then.host() != now.host() || then.port() != now.port())
            continue;
        // Counted as failed until they run: a disconnect meanwhile leaves them to retry.
        transfer.retrying.clear();
        for (const auto& failed : std::as_const(transfer.failedFiles))
            if (it.value().isEmpty() || it.value().contains(failed.first.row))
                transfer.retrying.append(failed.first);
        transfer.state = State::Waiting;
        transfer.succeeded = false;
        transfer.outcome.clear();
        rowChanged(it.key());
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
    for (const TreeWalk::File& again : std::as_const(transfer.retrying)) {
        const auto failed =
            std::find_if(transfer.failedFiles.begin(), transfer.failedFiles.end(),
                         [&](const auto& each) { return each.first.row == again.row; });
        if (failed == transfer.failedFiles.end())
            continue;
        transfer.problems.removeOne(failed->second);
        transfer.failedFiles.erase(failed);
        --transfer.filesFailed;
        setFileState(transfer, again.row, FileState::Waiting);
    }
    transfer.walk->walkOnly(transfer.retrying);
    transfer.waitingInFiles = static_cast<int>(transfer.retrying.size());
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
