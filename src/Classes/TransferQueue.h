#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include <QAbstractItemModel>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "Classes/TreeWalk.h"
#include "ListingEntry.h"
#include "OperationOutcome.h"

class Controller;
class RemoteFolder;
class DownloadDelegate;
class RemoteOperation;
class UploadDelegate;
class QWidget;

// The downloads and uploads asked for, run one after another through the window's download and
// upload operations, and the table the Queue tab shows of them. A transfer waits until the
// operation slot is free (no transfer, folder creation or deletion runs), then runs; when it
// ends, whatever the outcome, the next one starts. The browser stays locked from the first
// start until the queue is empty, so more transfers come only from drops on the table.
// A folder is one row: its tree is walked as it runs, each file moved by the same operation as
// a single one; the row counts the files and bytes, and lists the files that failed. It opens to
// its files, one row each, made only when the view asks for them.
class TransferQueue final : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum class Direction
    {
        Download,
        Upload
    };

    enum class State
    {
        Waiting,
        Running,
        Finished
    };

    // What a folder's download or upload does with a file whose target exists.
    enum class OnExists
    {
        Overwrite,
        // Moved only when the listed size or date differs from the local file's: a download when
        // the local file is not the listed one, an upload when the local one is newer.
        IfDifferent,
        // A stopped download's partial file is continued; an upload is appended to a smaller
        // remote file; otherwise as IfDifferent.
        Resume,
        Skip,
        // The new file beside the old one, as "name (2).ext", "name (3).ext", ...
        KeepBoth
    };

    enum Column
    {
        NameColumn,
        SizeColumn,
        SpeedColumn,
        TimeLeftColumn,
        OutcomeColumn,
        ColumnCount
    };

    // Where a folder's file stands.
    enum class FileState : uint8_t
    {
        Waiting,
        Moving,
        Done,
        Skipped,
        Failed,
        // The folder stopped before the file was done.
        Stopped
    };

    struct FileRow
    {
        // The local folder it comes from or goes to, and its name there.
        QString localFolder;
        QString name;
        int64_t size = -1;
        FileState state = FileState::Waiting;
    };

    struct Transfer
    {
        Direction direction = Direction::Download;
        QString name;
        // The file sent, for an upload; the file made, for a download once it started.
        QString localPath;
        // The remote folder, as it was shown when the transfer was asked for.
        QString folderURL;
        // The entry as listed, for a download.
        ListingEntry entry;
        // Bytes; -1 when not known.
        int64_t size = -1;
        State state = State::Waiting;
        bool succeeded = false;
        // How it ended, as the status line says it.
        QString outcome;
        int64_t doneBytes = 0;
        // Of doneBytes, those a continued download found on the disk: not moved in this run.
        int64_t bytesBeforeRun = 0;
        double bytesPerSecond = 0;
        QElapsedTimer clock;

        // For a folder: its tree as walked so far (while it runs), the files moved, failed and
        // skipped, the bytes of the files done, and what failed or was skipped, with why.
        bool folder = false;
        std::shared_ptr<TreeWalk> walk;
        int filesDone = 0;
        int filesFailed = 0;
        int filesSkipped = 0;
        int filesFound = 0;
        int64_t bytesOfFilesDone = 0;
        QStringList problems;
        // What this folder's download does with a file already there, once chosen.
        std::optional<OnExists> onExists;
        // The files that failed, each with its line in problems, to retry; the files to run
        // again, while the row waits to retry them.
        QList<std::pair<TreeWalk::File, QString>> failedFiles;
        QList<TreeWalk::File> retrying;

        // A folder's files handed out so far, in that order, as its rows below it show them; the
        // walk's waiting files follow them. Name and folder share the walk's own texts. None
        // until the first is handed out: an empty deque takes memory already.
        std::optional<std::deque<FileRow>> files;
        // Why a file of files failed, was skipped or stopped.
        QHash<int, QString> fileReasons;
        // Of the walk's waiting files, those at its front that have a place in files already
        // (handed back, or run again).
        int waitingInFiles = 0;
        // The view opened the folder: the rows below it it has been told of, as many as it has
        // wanted so far, and those changed since.
        bool filesOpened = false;
        int filesShown = 0;
        int filesWanted = 0;
        int changedFrom = -1;
        int changedTo = -1;
        // Names the row to its files' rows, whatever rows come and go above it.
        quintptr id = 0;
    };

    TransferQueue(Controller* controller, const RemoteFolder* remote, DownloadDelegate* download,
                  UploadDelegate* upload, QObject* parent = nullptr);

    // Another operation that takes the slot: its end may let a waiting transfer start.
    void watchOperation(RemoteOperation* operation);
    // Action of the download button: the selected files and folders, one after another, into
    // the download folder.
    void downloadSelection();
    // Local files and folders to send into the folder shown.
    void uploadFiles(const QStringList& paths);
    // Takes the waiting transfers among rows off the queue.
    void removeWaiting(const QList<int>& rows);
    // Takes the finished rows off the list.
    void clearFinished();
    // Runs the failed files of the selected finished folders again (a file's row: that file
    // alone), on the connection the window has now.
    void retry(const QModelIndexList& selected);
    bool canRetry(const QModelIndex& index) const;
    // Stops the running folder with every file it moves, or each file moving beside others
    // (Cancel, Esc).
    void cancelFolder();
    // The connection ended: waiting transfers do not start on whatever server comes next.
    void dropWaiting();
    // Files dropped from a file manager onto target (the listing table's viewport) upload.
    void acceptDrops(QWidget* target);

    // For every folder download or upload from now on; none: asked at the first such file of
    // each folder and kept for the rest of it. A single file is always replaced.
    std::optional<OnExists> onExists;

    bool isEmpty() const { return running < 0 && !batch && firstWaiting() < 0; }
    const QList<Transfer>& transfers() const { return items; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    // A folder's files are told to the view a page at a time, the first when it opens the folder:
    // laying out a tree view takes time in the rows it holds.
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    // The view has shown the folder's last row it was told of: the next page.
    void showMoreFiles(const QModelIndex& folder);
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    Q_DISABLE_COPY_MOVE(TransferQueue)

signals:
    // Nothing waits and nothing runs any more.
    void drained();
    // A file ended: a single file's row, or a file of the running folder (named by its path
    // below the folder's parent), with how, as its row or the folder's list says it, and its
    // bytes.
    void fileEnded(const QString& name, const QString& outcome, int64_t bytes);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void enqueue(const QList<Transfer>& batch);
    void scheduleNext();
    void startNext();
    void transferEnded(const OperationOutcome& outcome);
    // The running transfer's bytes; its row changes at most a few times a second.
    void progressed(int64_t done, int64_t total);
    void rowChanged(int row);
    // The running folder's row (and its opened files) changed: each file that starts or ends
    // changes it, so the view hears of it at most every few hundred milliseconds, the last change
    // once that much has passed.
    void folderRowChanged();
    // The folder row's files: how many there are, and the file at a row below it (none when
    // gone); a file's row.
    static int fileCount(const Transfer& transfer);
    static size_t filesHandedOut(const Transfer& transfer)
    {
        return transfer.files ? transfer.files->size() : 0;
    }
    static std::optional<FileRow> fileAt(const Transfer& transfer, int file);
    QVariant fileData(const Transfer& transfer, int file, int column) const;
    // The running folder's file taken from its walk gets its place in files (or takes its own
    // again), and later its state, with why.
    void fileTaken(TreeWalk::File& file);
    void setFileState(Transfer& transfer, int file, FileState state, const QString& why = {});
    // A file taken goes back to the front of the running folder's walk.
    void giveBack(TreeWalk::File file);
    // Tells an opened folder's view of its files that came, went or changed; new ones at most a
    // few times a second while it runs.
    void showFiles(int row);
    // Tells the view of the folder's first count files, as many more or fewer as that is.
    void showFilesUpTo(const QModelIndex& folder, int count);
    // The row of the transfer with that id, -1 when gone.
    int rowOfId(quintptr id) const;
    int firstWaiting() const;
    bool uploadWaitsAfter(int row) const;
    // One of the operations that move a running folder's files, each on a connection of its
    // own: the window's own download or upload first, then helpers.
    struct Worker
    {
        RemoteOperation* operation = nullptr;
        // The file it moves now, if any, its path below the folder and its bytes so far.
        std::optional<TreeWalk::File> file;
        QString shownPath;
        int64_t bytes = 0;
        // The server refused it a connection: it takes no more files.
        bool retired = false;
        // Among single files moving side by side: the row of the one it moves, -1 when none.
        int row = -1;
    };
    // Starts files on the running folder's idle workers, and ends the folder once all is done.
    void folderStep();
    void folderFileReady(std::optional<TreeWalk::File> file);
    // A file of the running folder ended on the worker.
    void folderFileEnded(Worker& worker, const OperationOutcome& outcome);
    // The worker of that operation, if it moves a file of the running folder.
    Worker* workerOf(const QObject* operation);
    // Makes the workers for the running folder: as many as the setting allows.
    void makeWorkers(Direction direction);
    // Holds the window as it is between a folder's or a batch's files (the browser buttons
    // locked, the display's bars shown), or lets it go at their end.
    void holdWindow(bool held);
    // Ends the running folder; cancelled says how, when it did not run to its end.
    void endFolder(const std::optional<QString>& cancelled);
    // A folder's failed files run again, alone.
    void startRetry(Transfer& transfer);
    // The local disk took no more of the running folder's download: it stops there, its files
    // complete kept, and says so.
    void stopForFullDisk();
    void eraseRow(int row);
    // A single file's row ended with outcome: its state, figures and status line, told to the
    // listeners of fileEnded.
    void settle(Transfer& transfer, const OperationOutcome& outcome);
    // Single files of one direction move side by side on the workers, as a folder's files do,
    // each keeping its own row. Starts them when the row and another waiting file can go so.
    bool startBatch(int row);
    // Starts waiting files of the batch on its idle workers, and ends it once none moves.
    void batchStep();
    // Whether the row may join the running batch: a waiting single file of its direction.
    bool joinsBatch(int row) const;
    void batchFileEnded(Worker& worker, const OperationOutcome& outcome);
    // The worker moving a file of the batch through that operation, if any.
    Worker* batchWorkerOf(const QObject* operation);
    // A batch's file reached done of total bytes, or started at localPath (a download's target).
    void batchProgressed(const QObject* operation, int64_t done, int64_t total);
    void batchStarted(const QObject* operation, const QString& localPath);
    // Asks what the running folder does with name and the other files already there; none:
    // Cancel.
    std::optional<OnExists> askOnExists(const QString& name);
    // The running folder's file has a target already there: asks once, then answers whether it
    // moves, with the name it gets on the other side (a download's in localPath too) and the
    // bytes of an upload the server holds already, to append after. false: it was kept (or
    // failed) and counted, or the question cancelled the folder.
    bool settleExisting(const TreeWalk::File& file, QString& name, QString& localPath,
                        int64_t& appendFrom);

    Controller* controller;
    const RemoteFolder* remote;
    DownloadDelegate* download;
    UploadDelegate* upload;
    QList<Transfer> items;
    // The row running now, -1 when none.
    int running = -1;
    bool startScheduled = false;
    // The queue disabled the browser buttons between two transfers.
    bool holdingButtons = false;
    // An upload succeeded without listing its folder again, since more were to follow.
    bool reloadOwed = false;
    QElapsedTimer sinceShown;
    QTimer showLater;
    QElapsedTimer sinceFilesShown;
    quintptr lastId = 0;
    std::vector<Worker> workers;
    std::vector<std::unique_ptr<RemoteOperation>> helpers;
    // The running folder waits for its walk's next file, or has had the last.
    bool takingNext = false;
    bool walkDone = false;
    // What was said once when the server refused the running folder another connection.
    QString fewerNote;
    // Single files move side by side on the workers, in this direction.
    bool batch = false;
    Direction batchDirection = Direction::Download;
};
