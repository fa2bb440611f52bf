#include "Classes/TreeWalk.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTimer>

#include "Classes/RemoteFolder.h"
#include "MiscTool.h"
#include "OperationOutcome.h"
#include "platform/Log.h"
#include "platform/RemoteName.h"

#if defined(__GLIBCXX__)
// A folder of 100,000 files waits as 100,000 of these: three fit in one of the deque's 512-byte
// blocks, where a few bytes more would leave room for two.
static_assert(sizeof(TreeWalk::File) <= 512 / 3);
#endif

namespace {

// Entries read in one pass of the event loop.
constexpr qsizetype kSlice = 2000;

// What tells one listing from another: every entry's name, kind, size and time, folded into
// seed one entry at a time (the first seed: the count).
size_t fingerprint(size_t seed, const ListingEntry& entry)
{
    return qHashMulti(seed, RemoteFolder::rawNameOf(entry), entry.kCFFTPResourceType.value_or(0),
                      entry.kCFFTPResourceSize.value_or(-1),
                      entry.kCFFTPResourceModDate.value_or(QDateTime()).toSecsSinceEpoch());
}

bool isInside(const QString& path, const QString& root)
{
    return path.startsWith(root + QLatin1Char('/'));
}

} // namespace

TreeWalk::TreeWalk(Direction direction, const QString& remoteFolder, const QString& localFolder,
                   QObject* parent)
    : QObject(parent)
    , direction(direction)
    , localRoot(QFileInfo(localFolder).canonicalFilePath())
    , lister(this)
    , listAhead(direction == Direction::Download && MiscTool::transfersAtOnce() > 1)
{
    folders.push_back({remoteFolder, localFolder, QFileInfo(localFolder).fileName(), {}});
}

void TreeWalk::takeNext(Next next)
{
    if (!files.empty()) {
        File file = std::move(files.front());
        files.pop_front();
        // After the file's own start, which reuses the connection that moved the one before.
        if (files.empty() && listAhead)
            QTimer::singleShot(0, this, &TreeWalk::prepareAhead);
        next(std::move(file));
        return;
    }
    waiting = std::move(next);
    if (preparing)
        return;
    if (folders.empty()) {
        Next last = std::move(waiting);
        waiting = nullptr;
        last(std::nullopt);
        return;
    }
    const Folder folder = std::move(folders.front());
    folders.pop_front();
    preparing = true;
    prepare(folder);
}

void TreeWalk::prepareAhead()
{
    // The other connections would otherwise stand idle at each folder while it is listed.
    if (!listAhead || preparing || !files.empty() || folders.empty())
        return;
    const Folder folder = std::move(folders.front());
    folders.pop_front();
    preparing = true;
    preparingAhead = true;
    prepare(folder);
}

void TreeWalk::walkOnly(const QList<File>& again)
{
    folders.clear();
    files.assign(again.begin(), again.end());
}

void TreeWalk::stop()
{
    stopped = true;
    lister.stop();
    reading.reset();
    waiting = nullptr;
}

void TreeWalk::prepared()
{
    preparing = false;
    preparingAhead = false;
    if (Next next = std::move(waiting)) {
        waiting = nullptr;
        takeNext(std::move(next));
    }
}

void TreeWalk::prepare(const Folder& folder)
{
    if (direction == Direction::Download) {
        lister.list(folder.remoteURL, [this, folder](FolderLister::Listing listing) {
            listed(folder, std::move(listing));
        });
        return;
    }
    // A folder the server has already is used as it is: its files go in beside what it holds,
    // which its listing tells. One made now holds nothing.
    lister.make(folder.remoteURL, [this, folder](const FolderLister::Listing& made) {
        if (made.error.isEmpty()) {
            listLocal(folder, {});
            prepared();
            return;
        }
        // Out of the ended stream's own event.
        QTimer::singleShot(0, this, [this, folder] {
            lister.list(folder.remoteURL, [this, folder](const FolderLister::Listing& listing) {
                listLocal(folder, listing.entries);
                prepared();
            });
        });
    });
}

QString TreeWalk::makeLocalFolder(const QString& path)
{
    const QByteArray encoded = QFile::encodeName(path);
    struct stat info = {};
    if (::lstat(encoded.constData(), &info) == 0)
        return S_ISDIR(info.st_mode) ? QString() : QStringLiteral("not a folder here");
    if (::mkdir(encoded.constData(), 0777) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

void TreeWalk::listed(const Folder& folder, FolderLister::Listing listing)
{
    if (!listing.error.isEmpty() && preparingAhead) {
        // Maybe the one connection more was refused: listed again, as any other, once the
        // walk needs it.
        listAhead = false;
        folders.push_front(folder);
        prepared();
        return;
    }
    static const QRegularExpression tooMany(QStringLiteral("^(421|530)\\b"));
    if (!listing.error.isEmpty() && tooMany.match(listing.error).hasMatch() &&
        listingRefusals < kListingRefusals) {
        // The server took no connection more just then: the one that moved the last file may
        // not have been handed back yet. Listed again a little later, a bounded number of times.
        ++listingRefusals;
        QTimer::singleShot(100 * listingRefusals, this, [this, folder] {
            if (preparing && !stopped)
                prepare(folder);
        });
        return;
    }
    if (!listing.error.isEmpty()) {
        folderFailed(folder.shown, listing.error);
        prepared();
        return;
    }
    reading = Reading{};
    reading->folder = folder;
    reading->print = qHash(listing.entries.size());
    reading->entries = std::move(listing.entries);
    readListing();
}

void TreeWalk::readListing()
{
    if (!reading)
        return; // stopped
    Reading& read = *reading;
    const qsizetype end = std::min(read.entries.size(), read.next + kSlice);
    if (!read.sorting) {
        for (; read.next < end; ++read.next)
            read.print = fingerprint(read.print, read.entries.at(read.next));
        if (read.next < read.entries.size()) {
            QTimer::singleShot(0, this, &TreeWalk::readListing);
            return;
        }
        const Folder& folder = read.folder;
        if (folder.above.contains(read.print)) {
            //% "lists as a folder above it (a loop)"
            skip(folder.shown, OperationOutcome::localizedText(
                                   "TreeLoop", "lists as a folder above it (a loop)"));
            reading.reset();
            prepared();
            return;
        }
        // Made once the listing has shown that the folder is walked.
        if (const QString why = makeLocalFolder(folder.localPath); !why.isEmpty()) {
            folderFailed(folder.shown, why);
            reading.reset();
            prepared();
            return;
        }
        read.folder.above.append(read.print);
        read.sorting = true;
        read.next = 0;
        QTimer::singleShot(0, this, &TreeWalk::readListing);
        return;
    }
    const Folder& folder = read.folder;
    const QList<size_t>& above = folder.above;
    for (; read.next < end; ++read.next) {
        ListingEntry& entry = read.entries[read.next];
        const QByteArray raw = RemoteFolder::rawNameOf(entry);
        const QString name = MiscTool::getFileName(entry).value_or(QString());
        const QString shown = folder.shown + QLatin1Char('/') + Log::printable(name);
        QString why = RemoteName::whyNotAddressable(raw);
        if (why.isEmpty())
            why = RemoteName::whyNotSafeLocalName(name);
        if (!why.isEmpty()) {
            skip(shown, why);
            continue;
        }
        const bool link = MiscTool::getFileType(entry) == kEntryTypeLink;
        if (RemoteFolder::isFolder(entry) && !link) {
            folders.push_back({RemoteFolder::urlIn(folder.remoteURL, raw, true).value_or(QString()),
                               QDir(folder.localPath).filePath(name), shown, above});
            continue;
        }
        ++filesFound;
        if (!link)
            bytesFound += entry.kCFFTPResourceSize.value_or(0);
        if (!read.between)
            read.between =
                std::make_shared<Between>(Between{folder.remoteURL, folder.localPath, {}});
        File file;
        file.entry = std::move(entry);
        file.between = read.between;
        file.link = link;
        files.push_back(std::move(file));
    }
    if (read.next < read.entries.size()) {
        // The files found so far go at once to a walk that waits.
        if (waiting && !files.empty()) {
            Next next = std::move(waiting);
            waiting = nullptr;
            takeNext(std::move(next));
        }
        QTimer::singleShot(0, this, &TreeWalk::readListing);
        return;
    }
    reading.reset();
    prepared();
}

void TreeWalk::listLocal(const Folder& folder, const QList<ListingEntry>& remote)
{
    const QFileInfoList entries =
        QDir(folder.localPath)
            .entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                           QDir::Name);
    QHash<QString, std::shared_ptr<const ListingEntry>> there;
    auto between = std::make_shared<Between>(Between{folder.remoteURL, folder.localPath, {}});
    for (const ListingEntry& entry : remote) {
        const QString name = MiscTool::getFileName(entry).value_or(QString());
        there.insert(name, std::make_shared<const ListingEntry>(entry));
        between->namesThere.insert(name);
    }
    for (const QFileInfo& info : entries)
        between->namesThere.insert(info.fileName());
    for (const QFileInfo& info : entries) {
        const QString name = info.fileName();
        const QString shown = folder.shown + QLatin1Char('/') + Log::printable(name);
        const QByteArray raw = QFile::encodeName(name);
        if (const QString why = RemoteName::whyNotAddressable(raw); !why.isEmpty()) {
            skip(shown, why);
            continue;
        }
        if (info.isSymLink()) {
            // Followed only to a file inside the chosen folder.
            const QString target = info.canonicalFilePath();
            if (target.isEmpty() || !isInside(target, localRoot) || !QFileInfo(target).isFile()) {
                //% "a link that leads out of the folder or to a folder"
                skip(shown,
                     OperationOutcome::localizedText(
                         "TreeLinkSkipped", "a link that leads out of the folder or to a folder"));
                continue;
            }
        } else if (info.isDir()) {
            folders.push_back({RemoteFolder::urlIn(folder.remoteURL, raw, true).value_or(QString()),
                               info.filePath(),
                               shown,
                               {}});
            continue;
        } else if (!info.isFile()) {
            //% "not a regular file"
            skip(shown, OperationOutcome::localizedText("TreeNotRegular", "not a regular file"));
            continue;
        }
        File file;
        file.entry.kCFFTPResourceName = name;
        file.entry.kCFFTPResourceType = kEntryTypeRegular;
        file.entry.kCFFTPResourceSize = info.size();
        file.between = between;
        file.existing = there.value(name);
        ++filesFound;
        bytesFound += info.size();
        files.push_back(std::move(file));
    }
}

void TreeWalk::skip(const QString& shown, const QString& why)
{
    ++skipped;
    if (problems.size() < kMaxProblems)
        problems.append(shown + QStringLiteral(": ") + why);
}

void TreeWalk::folderFailed(const QString& shown, const QString& why)
{
    ++failedFolders;
    if (problems.size() < kMaxProblems)
        problems.append(shown + QStringLiteral(": ") + why);
}
