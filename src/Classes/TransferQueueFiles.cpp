// A folder's files as rows below the folder's own row. The view is told of them only once it
// opens the folder, and then of new ones a few times a second: a tree of 100,000 files costs a
// collapsed row nothing, and its rows are read from the walk's own records when shown.

#include <algorithm>

#include <QDir>

#include "Classes/TransferQueue.h"
#include "Classes/TransferQueueParts.h"
#include "MiscTool.h"
#include "platform/Log.h"

using namespace transfer_queue;

namespace {

// A page of a folder's file rows: laid out in a few milliseconds.
constexpr int kFilesPage = 1000;

} // namespace

QModelIndex TransferQueue::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || column >= ColumnCount)
        return {};
    if (!parent.isValid())
        return row < items.size() ? createIndex(row, column, quintptr(0)) : QModelIndex();
    if (parent.internalId() != 0 || parent.column() != 0 || parent.row() >= items.size() ||
        row >= items[parent.row()].filesShown)
        return {};
    return createIndex(row, column, items[parent.row()].id);
}

QModelIndex TransferQueue::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == 0)
        return {};
    const int row = rowOfId(child.internalId());
    return row < 0 ? QModelIndex() : createIndex(row, 0, quintptr(0));
}

int TransferQueue::rowOfId(quintptr id) const
{
    for (int row = 0; row < items.size(); ++row)
        if (items[row].id == id)
            return row;
    return -1;
}

bool TransferQueue::hasChildren(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return !items.isEmpty();
    if (parent.internalId() != 0 || parent.column() != 0 || parent.row() >= items.size())
        return false;
    // A folder that ended before any file was handed out has none to show.
    const Transfer& transfer = items[parent.row()];
    return transfer.folder && (transfer.state != State::Finished || filesHandedOut(transfer) > 0);
}

bool TransferQueue::canFetchMore(const QModelIndex& parent) const
{
    // Later pages come when the view scrolls to the end, not whenever it lays the tree out.
    return parent.isValid() && hasChildren(parent) && !items[parent.row()].filesOpened;
}

void TransferQueue::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    Transfer& transfer = items[parent.row()];
    transfer.filesOpened = true;
    transfer.filesWanted = kFilesPage;
    showFilesUpTo(parent, std::min(fileCount(transfer), transfer.filesWanted));
    transfer.changedFrom = transfer.changedTo = -1;
}

void TransferQueue::showMoreFiles(const QModelIndex& folder)
{
    if (!folder.isValid() || folder.internalId() != 0 || folder.row() >= items.size())
        return;
    Transfer& transfer = items[folder.row()];
    if (!transfer.filesOpened || transfer.filesShown < transfer.filesWanted)
        return;
    transfer.filesWanted = transfer.filesShown + kFilesPage;
    showFilesUpTo(folder, std::min(fileCount(transfer), transfer.filesWanted));
}

void TransferQueue::showFilesUpTo(const QModelIndex& folder, int count)
{
    Transfer& transfer = items[folder.row()];
    if (count > transfer.filesShown) {
        beginInsertRows(folder, transfer.filesShown, count - 1);
        transfer.filesShown = count;
        endInsertRows();
    } else if (count < transfer.filesShown) {
        beginRemoveRows(folder, count, transfer.filesShown - 1);
        transfer.filesShown = count;
        endRemoveRows();
    }
}

Qt::ItemFlags TransferQueue::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return hasChildren(index) ? flags : flags | Qt::ItemNeverHasChildren;
}

int TransferQueue::fileCount(const Transfer& transfer)
{
    const qsizetype waiting =
        transfer.walk ? static_cast<qsizetype>(transfer.walk->filesWaiting().size()) : 0;
    return static_cast<int>(filesHandedOut(transfer) +
                            std::max<qsizetype>(0, waiting - transfer.waitingInFiles));
}

std::optional<TransferQueue::FileRow> TransferQueue::fileAt(const Transfer& transfer, int file)
{
    if (file < 0)
        return std::nullopt;
    if (static_cast<size_t>(file) < filesHandedOut(transfer))
        return (*transfer.files)[static_cast<size_t>(file)];
    if (!transfer.walk)
        return std::nullopt;
    const std::deque<TreeWalk::File>& waiting = transfer.walk->filesWaiting();
    const size_t at = static_cast<size_t>(file) - filesHandedOut(transfer) +
                      static_cast<size_t>(transfer.waitingInFiles);
    if (at >= waiting.size())
        return std::nullopt;
    const TreeWalk::File& found = waiting[at];
    return FileRow{found.localFolder(), found.entry.kCFFTPResourceName.value_or(QString()),
                   found.link ? -1 : found.entry.kCFFTPResourceSize.value_or(-1),
                   FileState::Waiting};
}

QVariant TransferQueue::fileData(const Transfer& transfer, int file, int column) const
{
    const std::optional<FileRow> row = fileAt(transfer, file);
    if (!row)
        return {};
    switch (column) {
    case NameColumn: {
        // Its path within the folder.
        const QString path =
            row->localFolder.startsWith(transfer.localPath + QLatin1Char('/'))
                ? row->localFolder.mid(transfer.localPath.size() + 1) + QLatin1Char('/') + row->name
                : row->name;
        return Log::printable(path);
    }
    case SizeColumn:
        return row->size >= 0 ? MiscTool::convertBytes(static_cast<uint64_t>(row->size))
                              : QStringLiteral("--");
    case OutcomeColumn:
        break;
    default:
        return QString();
    }
    switch (row->state) {
    case FileState::Waiting:
        return text("QueueWaiting", "Waiting");
    case FileState::Moving:
        if (running >= 0 && items[running].id == transfer.id && row->size > 0)
            for (const Worker& worker : workers)
                if (worker.file && worker.file->row == file)
                    //% "Running, %1%"
                    return text("QueueFileRunning", "Running, %1%")
                        .arg(std::min<int64_t>(100, worker.bytes * 100 / row->size));
        return text("QueueRunning", "Running");
    case FileState::Done:
        return text("QueueDone", "Done");
    case FileState::Skipped:
        //% "Skipped: %1"
        return text("QueueFileSkipped", "Skipped: %1").arg(transfer.fileReasons.value(file));
    case FileState::Failed:
    case FileState::Stopped:
        return transfer.fileReasons.value(file);
    }
    return {};
}

void TransferQueue::fileTaken(TreeWalk::File& file)
{
    Transfer& transfer = items[running];
    if (file.row >= 0) {
        transfer.waitingInFiles = std::max(0, transfer.waitingInFiles - 1);
        setFileState(transfer, file.row, FileState::Moving);
        return;
    }
    // It was the first of the walk's waiting files, so its row stays where it was.
    if (!transfer.files)
        transfer.files.emplace();
    file.row = static_cast<int>(transfer.files->size());
    transfer.files->push_back(
        {file.localFolder(), file.entry.kCFFTPResourceName.value_or(QString()),
         file.link ? -1 : file.entry.kCFFTPResourceSize.value_or(-1), FileState::Waiting});
    setFileState(transfer, file.row, FileState::Moving);
}

void TransferQueue::setFileState(Transfer& transfer, int file, FileState state, const QString& why)
{
    if (file < 0 || static_cast<size_t>(file) >= filesHandedOut(transfer))
        return;
    (*transfer.files)[static_cast<size_t>(file)].state = state;
    if (why.isEmpty())
        transfer.fileReasons.remove(file);
    else
        transfer.fileReasons.insert(file, why);
    transfer.changedFrom = transfer.changedFrom < 0 ? file : std::min(transfer.changedFrom, file);
    transfer.changedTo = std::max(transfer.changedTo, file);
}

void TransferQueue::giveBack(TreeWalk::File file)
{
    Transfer& transfer = items[running];
    if (file.row >= 0) {
        ++transfer.waitingInFiles;
        setFileState(transfer, file.row, FileState::Waiting);
    }
    transfer.walk->giveBack(std::move(file));
}

void TransferQueue::showFiles(int row)
{
    Transfer& transfer = items[row];
    const QModelIndex folder = index(row, 0);
    const int count = std::min(fileCount(transfer), transfer.filesWanted);
    // While it runs, a file between the walk and its row is briefly in neither.
    if (count < transfer.filesShown && transfer.state != State::Running) {
        showFilesUpTo(folder, count);
    } else if (count > transfer.filesShown &&
               (transfer.state != State::Running || !sinceFilesShown.isValid() ||
                sinceFilesShown.elapsed() >= kShowEveryMs)) {
        // Each batch lays the open tree out anew: not more often than the row repaints.
        showFilesUpTo(folder, count);
        sinceFilesShown.start();
    }
    const int last = std::min(transfer.changedTo, transfer.filesShown - 1);
    if (transfer.changedFrom >= 0 && transfer.changedFrom <= last)
        emit dataChanged(createIndex(transfer.changedFrom, 0, transfer.id),
                         createIndex(last, ColumnCount - 1, transfer.id));
    transfer.changedFrom = transfer.changedTo = -1;
}

bool TransferQueue::canRetry(const QModelIndex& index) const
{
    if (!index.isValid())
        return false;
    const int row = index.internalId() == 0 ? index.row() : rowOfId(index.internalId());
    if (row < 0 || row >= items.size() || items[row].state != State::Finished)
        return false;
    const Transfer& transfer = items[row];
    if (index.internalId() == 0)
        return !transfer.failedFiles.isEmpty();
    return std::any_of(transfer.failedFiles.begin(), transfer.failedFiles.end(),
                       [&](const auto& failed) { return failed.first.row == index.row(); });
}
