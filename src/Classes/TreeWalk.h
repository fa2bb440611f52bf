#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include "FolderLister.h"
#include "ListingEntry.h"

// A folder's tree, walked lazily for its download or upload: a folder is listed (the server's
// for a download, the local one for an upload), and made on the other side, only when the walk
// comes to it. Memory goes to the files found and not yet moved, a few hundred bytes each.
//
// Names that cannot be one entry on the other side (a "/" or ".." in a listing, a line break,
// a name unsafe as a local file) are skipped and counted, so nothing is ever made outside the
// target. Links are never entered: a remote link is fetched as the file it may name, a local one
// is sent only when it names a file inside the chosen folder. A remote folder that lists exactly
// as one above it (a loop made by links the server shows as folders) is not entered again.
class TreeWalk final : public QObject
{
    Q_OBJECT

public:
    enum class Direction
    {
        Download,
        Upload
    };

    // The folders a folder's files go between, one record shared by them all; for an upload,
    // every name the server's folder holds or will hold (the files sent into it).
    struct Between
    {
        QString remoteFolder;
        QString localFolder;
        QSet<QString> namesThere;
    };
    // One file to move: its entry as listed (for an upload, its name and size) and the folders
    // it goes between. A tree's waiting files are many: what files share, or few have, is held
    // by pointer.
    struct File
    {
        ListingEntry entry;
        std::shared_ptr<Between> between;
        // A remote link: whether it names a file only its fetch tells.
        bool link = false;
        // Its place among the tree's files the queue shows, once it has one.
        int row = -1;
        // For an upload: the server's entry of the file's name, when its folder was there and
        // lists one.
        std::shared_ptr<const ListingEntry> existing;
        // Its name on the other side, once settled against what is there: a file handed out
        // again (to retry it) goes there as it is, from its first byte.
        QString settledName;

        const QString& remoteFolder() const { return between->remoteFolder; }
        const QString& localFolder() const { return between->localFolder; }
    };
    using Next = std::function<void(std::optional<File>)>;

    // remoteFolder is the tree's remote folder URL (ending in "/"), localFolder its local path:
    // the one to make for a download, the one chosen for an upload.
    TreeWalk(Direction direction, const QString& remoteFolder, const QString& localFolder,
             QObject* parent = nullptr);

    // Hands the next file to next, or none once the whole tree is walked: at once when one
    // waits, else once the next folder is listed and made.
    void takeNext(Next next);
    // Puts a file taken back at the front, to be handed out again.
    void giveBack(File file) { files.push_front(std::move(file)); }
    // Walks only these files, of a tree walked before: its folders are there already.
    void walkOnly(const QList<File>& again);
    // Drops a listing or folder creation in flight; next is not called.
    void stop();
    // The files found and not yet handed out, in the order they will be.
    const std::deque<File>& filesWaiting() const { return files; }

    // Files found so far and their bytes (as listed), and the entries skipped.
    int filesFound = 0;
    int64_t bytesFound = 0;
    int skipped = 0;
    // Folders that could not be listed or made, with why.
    int failedFolders = 0;
    // What was skipped or failed, as "path: why", the first kMaxProblems.
    QStringList problems;
    static constexpr int kMaxProblems = 1000;

    Q_DISABLE_COPY_MOVE(TreeWalk)

private:
    struct Folder
    {
        QString remoteURL;
        QString localPath;
        // The path shown in the problems, from the tree's own name down.
        QString shown;
        // Fingerprints of the listings of the folders above, for a download.
        QList<size_t> above;
    };

    void prepare(const Folder& folder);
    void listed(const Folder& folder, FolderLister::Listing listing);
    // Reads the listed folder's entries a slice at a time, each slice from the event loop, so
    // that a folder of 100,000 entries never holds the window; the files found so far can move
    // meanwhile.
    void readListing();
    // The local folder's entries; remote: what the server's folder of that name holds.
    void listLocal(const Folder& folder, const QList<ListingEntry>& remote);
    // The folder is ready (or given up): the walk goes on.
    void prepared();
    void skip(const QString& shown, const QString& why);
    void folderFailed(const QString& shown, const QString& why);
    // Makes the local folder for a download, never through a link; why not, else empty.
    static QString makeLocalFolder(const QString& path);

    const Direction direction;
    // The chosen local folder, resolved: local links must lead inside it.
    QString localRoot;
    std::deque<Folder> folders;
    std::deque<File> files;
    FolderLister lister;
    Next waiting;
    // A folder is being listed, made or read: a walk with no file at hand waits for it.
    bool preparing = false;
    // Lists the next folder once the last file of one is handed out, while the other
    // connections still move theirs: on one connection more, which a server that limits
    // connections may refuse. The first such listing that fails ends the listing ahead.
    void prepareAhead();
    bool listAhead = false;
    // The folder being listed was taken ahead: a failure lists it again when it is needed.
    bool preparingAhead = false;
    // Listings the server refused for too many connections, each tried again after a pause.
    static constexpr int kListingRefusals = 10;
    int listingRefusals = 0;
    bool stopped = false;
    // The listed folder being read: its entries, the next one to read, the fingerprint so far.
    struct Reading
    {
        Folder folder;
        QList<ListingEntry> entries;
        qsizetype next = 0;
        size_t print = 0;
        // The fingerprint is complete and the folder made: the entries are being sorted.
        bool sorting = false;
        // Shared by the folder's files, made with the first.
        std::shared_ptr<Between> between;
    };
    std::optional<Reading> reading;
};
