#include "DownloadDelegate.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include <QAction>
#include <QDir>
#include <QFileInfo>

#include "Classes/Controller.h"
#include "Classes/RemoteFolder.h"
#include "MiscTool.h"
#include "PartialRecord.h"
#include "platform/Assert.h"
#include "platform/Log.h"
#include "platform/RemoteName.h"
#include "platform/toolkit/Toolkit.h"

namespace {

// NAME.part, then NAME.1.part, NAME.2.part, ...: never an existing file.
constexpr int kPartialNameTries = 1000;
// Files the listing gives at most this size are fetched without SIZE and MDTM before RETR: their
// round trips cost a small file as much as its bytes. Without MDTM nothing could tell a later
// download that the server still holds the version a stopped one fetched: such a file keeps no
// partial file and comes whole again, which costs at most this much.
constexpr int64_t kUnaskedSize = 1024 * 1024;
// The file goes to the disk in windows of this size while it downloads, so that the sync at the
// end finds little left to write and the disk works while the network does.
constexpr int64_t kWriteBackWindow = 8 * 1024 * 1024;

// Whether path names an entry directly inside folder, with nothing climbing out of it.
bool isDirectlyInside(const QString& path, const QString& folder)
{
    const QFileInfo info(path);
    return !folder.isEmpty() && info.fileName() != QLatin1String("..") &&
           QDir::cleanPath(info.absolutePath()) == QDir::cleanPath(QDir(folder).absolutePath());
}

// Anything at all of that name, a dangling link too: one lstat.
bool existsOrDangles(const QString& path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

// Puts the finished file in place of the target. The file it replaces is let go on a thread of
// its own: the file system frees its blocks when the last reference goes, and first waits for
// any of its pages still being written back (a file fetched again at once), which can hold the
// window for most of a second.
int replaceTarget(const QString& partial, const QString& target)
{
    const int replaced = ::open(QFile::encodeName(target).constData(),
                                O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const int result =
        std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData());
    const int error = errno;
    if (replaced >= 0)
        std::thread([replaced] { ::close(replaced); }).detach();
    errno = error;
    return result;
}

bool isSameFolder(const QString& a, const QString& b)
{
    return QDir::cleanPath(a) == QDir::cleanPath(b);
}

// NAME.part, NAME.1.part, ...: the n-th name a partial file of path may have.
QString partialName(const QString& path, int n)
{
    return n == 0 ? path + QStringLiteral(".part") : QStringLiteral("%1.%2.part").arg(path).arg(n);
}

// The remote file as a partial file's record names it: no password in it.
QString recordedUrl(const QUrl& url)
{
    return url.toString(QUrl::RemovePassword | QUrl::FullyEncoded);
}

QString loginUserIn(const FtpStreamProperties& properties)
{
    const auto user = properties.find(FtpStreamProperty::kCFStreamPropertyFTPUserName);
    return user == properties.end() ? QString() : user->second.toString();
}

} // namespace

DownloadDelegate::Run::Run() = default;

DownloadDelegate::DownloadDelegate(QObject* parent)
    : RemoteOperation(OperationOutcome::Action::Download, parent)
{}

DownloadDelegate::~DownloadDelegate()
{
    if (syncThread.joinable())
        syncThread.join();
}

void DownloadDelegate::download()
{
    if (const ListingEntry* entry = selectedEntry())
        startDownload(*entry, remote->getCurrentFTPURL());
}

std::optional<OperationOutcome> DownloadDelegate::startDownload(const ListingEntry& listed,
                                                                const QString& folderURL,
                                                                const QString& localFolder,
                                                                const QString& localName)
{
    // A copy: the listing may be reloaded while the download runs.
    const ListingEntry entry = listed;
    const QString size = MiscTool::getFileSize(entry);
    // A link shows as a folder but may name a file: it is asked for as one, and the server's
    // answer tells.
    const bool link = MiscTool::getFileType(entry) == kEntryTypeLink;
    if (RemoteFolder::isFolder(entry) && !link) {
        Toolkit::Alert alert;
        alert.style = Toolkit::AlertStyle::Informational;
        //% "Folders cannot be downloaded"
        alert.messageText = Controller::localizedString("NotSupportAlert");
        //% "Select a file to download it; open a folder by double-clicking it."
        alert.informativeText = Controller::localizedString("DirDownloadNotSupport");
        Toolkit::shared().runModalAlert(alert);
        return outcome(OperationOutcome::Kind::NotAFile);
    }

    // The server's bytes must address one file, and the shown name becomes a local file name:
    // it must stay one entry of the download folder and show in a file manager as it is.
    const QByteArray rawName = RemoteFolder::rawNameOf(entry);
    const QString name = MiscTool::getFileName(entry).value_or(QString());
    const QString folder = localFolder.isEmpty() ? controller->downloadFolder : localFolder;
    const QString localPath = QDir(folder).filePath(localName.isEmpty() ? name : localName);
    QString why = RemoteName::whyNotAddressable(rawName);
    if (why.isEmpty())
        why = RemoteName::whyNotSafeLocalName(name);
    if (why.isEmpty() && !isDirectlyInside(localPath, folder))
        why = QStringLiteral("not a plain file name");
    if (!why.isEmpty()) {
        const OperationOutcome refused = refuseName(name, why);
        updateStatus(refused.statusLine());
        return refused;
    }
    if (const std::optional<OperationOutcome> unusable = prepareDownloadFolder()) {
        report(*unusable);
        return unusable;
    }
    if (!beginOperation())
        return outcome(OperationOutcome::Kind::Busy);

    // Built from the server's own name bytes, escaped as one component of the folder's URL.
    const QString url = RemoteFolder::urlIn(folderURL, rawName, false).value_or(QString());
    run.emplace();
    run->localFile = localPath;
    run->fileSize = size.toLongLong();
    // A link's listed size is the link's own.
    run->listedSize =
        entry.kCFFTPResourceSize && !link ? std::optional<int64_t>(run->fileSize) : std::nullopt;

    controller->setButtonsState(false);
    announceStart(localPath);
    startReceive(url);
    return std::nullopt;
}

void DownloadDelegate::startReceive(const QString& url)
{
    run->expectedSize = run->listedSize;
    run->replacesFile = existsOrDangles(run->localFile);
    const std::optional<QUrl> parsed = MiscTool::smartURLForString(url);
    if (!parsed) {
        fail(OperationOutcome::Kind::InvalidUrl);
        return;
    }
    run->remoteUrl = *parsed;
    run->remoteText = recordedUrl(*parsed);
    // Read once: the settings are not read again when the file is fetched again.
    run->properties = MiscTool::streamProperties();
    run->loginUser = loginUserIn(run->properties);
    // With nothing to continue under the first partial name, the request goes out first and
    // the server answers it while the file is created (a create may take a millisecond).
    const bool early = !PartialRecord::readFor(partialName(run->localFile, 0));
    if (early) {
        setUnasked();
        openStream();
    }
    if (!createPartialFile())
        return;
    if (early && run->resumeFrom == 0)
        return;
    // A later name's partial file is continued: asked again from its offset.
    networkStream.stop();
    setUnasked();
    if (run->resumeFrom > 0) {
        // The progress starts at the share the partial file holds.
        run->receivedBytes = run->writeBackFrom = run->resumeFrom;
        run->fileSize = run->recordedSize;
        emit continuedFrom(run->resumeFrom);
        showProgress();
    }
    openStream();
}

void DownloadDelegate::setUnasked()
{
    run->unasked = run->resumeFrom == 0 && run->listedSize && *run->listedSize <= kUnaskedSize &&
                   run->remoteUrl.scheme() != QLatin1String("sftp");
}

void DownloadDelegate::showProgress()
{
    emit progressed(run->receivedBytes, run->fileSize);
}

void DownloadDelegate::openStream()
{
    FtpStreamProperties properties = run->properties;
    if (run->resumeFrom > 0)
        properties[FtpStreamProperty::FileTransferOffset] = static_cast<qint64>(run->resumeFrom);
    if (run->unasked)
        properties[FtpStreamProperty::SkipSize] = true;
    networkStream.open(FtpStream::Direction::Read, run->remoteUrl, properties, this);
}

bool DownloadDelegate::createPartialFile()
{
    // A partial file of this very file is continued; any other file or link of a candidate's
    // name is never opened: a new partial file is created exclusively (O_EXCL).
    for (int n = 0; n < kPartialNameTries; ++n) {
        const QString candidate = partialName(run->localFile, n);
        bool recorded = false;
        if (continuePartialFile(candidate, recorded))
            return true;
        auto file = std::make_unique<QFile>(candidate);
        if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            fileStream = std::move(file);
            run->partialFile = candidate;
            // A record left behind by a partial file removed since would name this new one.
            if (recorded)
                PartialRecord::removeFor(candidate);
            return true;
        }
        const int openError = errno;
        if (!existsOrDangles(candidate)) {
            noteWriteError(openError);
            fail(OperationOutcome::Kind::FileWriteError, file->errorString());
            return false;
        }
    }
    fail(OperationOutcome::Kind::FileWriteError,
         QStringLiteral("No free name for the partial file"));
    return false;
}

bool DownloadDelegate::continuePartialFile(const QString& candidate, bool& recorded)
{
    const std::optional<PartialRecord> record = PartialRecord::readFor(candidate);
    recorded = record.has_value();
    if (!record || !record->sameOrigin(run->remoteText, run->loginUser) || record->length <= 0 ||
        record->length > record->size)
        return false;
    // Appended to only while it is the regular file, of the length, that the record names;
    // opened without waiting, as a FIFO of that name would hold open() until a reader came.
    const int fd = ::open(QFile::encodeName(candidate).constData(),
                          O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info = {};
    auto file = std::make_unique<QFile>();
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size != record->length ||
        !file->open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                    QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, O_APPEND);
    // The record is true only while the download is stopped; its end writes a new one.
    PartialRecord::removeFor(candidate);
    fileStream = std::move(file);
    run->partialFile = candidate;
    run->resumeFrom = record->length;
    run->recordedSize = record->size;
    run->recordedModified = record->modified;
    return true;
}

void DownloadDelegate::startOver(bool refusedByServer)
{
    // Only a stream from an offset starts over, and the new one starts at 0: this happens
    // once per download at most.
    TANDREL_ASSERT(run->resumeFrom > 0);
    run->resumeRefused = run->resumeRefused || refusedByServer;
    run->resumeUnchecked = false;
    networkStream.stop();
    run->resumeFrom = 0;
    run->serverModified.clear();
    fetchFromTheStart();
}

void DownloadDelegate::fetchAgainAsking()
{
    run->unasked = false;
    fetchFromTheStart();
}

void DownloadDelegate::fetchFromTheStart()
{
    networkStream.stop();
    run->receivedBytes = 0;
    run->writeBackFrom = 0;
    run->pendingBytes = 0;
    // Unknown until the new stream opens: a failure before then leaves no record.
    run->announcedSize.reset();
    run->expectedSize = run->listedSize;
    // The file is emptied and takes the download from its first byte.
    if (::ftruncate(fileStream->handle(), 0) != 0 || !fileStream->seek(0)) {
        fail(OperationOutcome::Kind::FileWriteError, QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    run->fileSize = run->listedSize.value_or(0);
    emit continuedFrom(0);
    showProgress();
    openStream();
}

void DownloadDelegate::streamHandleEvent(FtpStream* aStream, NSStreamEvent eventCode)
{
    TANDREL_ASSERT(aStream == networkStream.get());
    switch (eventCode) {
    case NSStreamEventOpenCompleted:
        run->announcedSize = networkStream->announcedSize();
        run->serverModified = networkStream->modificationTime();
        // A partial file continues only the file of the size and the time it was made from.
        if (run->resumeFrom > 0 &&
            (run->announcedSize != run->recordedSize || modifiedSinceRecord())) {
            startOver(false);
            break;
        }
        // Without both times nothing tells a file rewritten in place at the same size.
        run->resumeUnchecked = run->resumeFrom > 0 &&
                               (run->recordedModified.isEmpty() || run->serverModified.isEmpty());
        // The server's own size for the file wins over the listing's.
        if (run->announcedSize) {
            run->expectedSize = run->announcedSize;
            run->fileSize = *run->announcedSize;
        }
        break;
    case NSStreamEventHasBytesAvailable:
        moveOneChunk();
        break;
    case NSStreamEventHasSpaceAvailable:
        TANDREL_ASSERT(NO);
        break;
    case NSStreamEventErrorOccurred:
        // Refused to start at the offset (REST), or the file is no longer the one the partial
        // file was made from (libcurl fails an offset past its end): fetch it whole.
        if (run->resumeFrom > 0 &&
            (networkStream->offsetRefused() ||
             (networkStream->announcedSize() &&
              networkStream->announcedSize() != run->recordedSize) ||
             (!run->recordedModified.isEmpty() && !networkStream->modificationTime().isEmpty() &&
              networkStream->modificationTime() != run->recordedModified))) {
            startOver(networkStream->offsetRefused());
            break;
        }
        // Once data came, the stream had opened: what failed was reading the rest.
        fail(run->receivedBytes > 0 ? OperationOutcome::Kind::NetworkReadError
                                    : OperationOutcome::Kind::StreamOpenError,
             networkStream->streamError().message);
        break;
    case NSStreamEventEndEncountered:
        break; // the read that answers 0 ends the download
    default:
        TANDREL_ASSERT(NO);
    }
}

bool DownloadDelegate::modifiedSinceRecord() const
{
    return !run->recordedModified.isEmpty() && !run->serverModified.isEmpty() &&
           run->serverModified != run->recordedModified;
}

void DownloadDelegate::moveOneChunk()
{
    if (!run->pending)
        run->pending = std::make_unique_for_overwrite<char[]>(kWriteSize);
    if (kWriteSize - run->pendingBytes < OwnedStream::kChunkSize) {
        if (const std::optional<QString> problem = writePending()) {
            fail(OperationOutcome::Kind::FileWriteError, *problem);
            return;
        }
    }
    const int64_t count =
        networkStream->read(run->pending.get() + run->pendingBytes, OwnedStream::kChunkSize);
    if (count < 0) {
        fail(OperationOutcome::Kind::NetworkReadError, networkStream->streamError().message);
        return;
    }
    if (count == 0) {
        // The stream answers 0 only after the server's final reply confirmed the transfer, but
        // a server may close the data connection early and still confirm it. Without SIZE asked,
        // the listing's size and the 150 reply's (when it gives one) must be what came; else
        // SIZE decides, as below.
        if (run->unasked && (run->receivedBytes != run->listedSize ||
                             (run->announcedSize && run->receivedBytes != *run->announcedSize))) {
            fetchAgainAsking();
            return;
        }
        // More bytes than announced is a file that grew meanwhile.
        if (run->expectedSize && run->receivedBytes < *run->expectedSize) {
            OperationOutcome incomplete = outcome(OperationOutcome::Kind::DownloadIncomplete);
            incomplete.doneBytes = run->receivedBytes;
            incomplete.expectedBytes = *run->expectedSize;
            stopReceiveWithStatus(incomplete);
            return;
        }
        stopReceiveWithStatus(outcome(OperationOutcome::Kind::Succeeded));
        return;
    }
    run->pendingBytes += count;
    run->receivedBytes += count;
    showProgress();
    // Whoever watches the progress may have cancelled the download.
    if (!run || !fileStream)
        return;
    writeBack();
}

std::optional<QString> DownloadDelegate::writePending()
{
    int64_t written = 0;
    while (written < run->pendingBytes) {
        const qint64 n =
            fileStream->write(run->pending.get() + written, run->pendingBytes - written);
        if (n <= 0) {
            noteWriteError(errno);
            // What the file did not take is lost either way: the download ends here.
            run->pendingBytes = 0;
            return fileStream->errorString();
        }
        written += n;
    }
    run->pendingBytes = 0;
    return std::nullopt;
}

void DownloadDelegate::writeBack()
{
    // Starts writing the window just filled and waits for the one before it: the dirty part of
    // the file stays within two windows, and a wait is for one window only. Failures show at
    // the fsync that ends the download.
    if (!run->replacesFile)
        return;
    const int fd = fileStream->handle();
    int64_t& from = run->writeBackFrom;
    while (run->receivedBytes - run->pendingBytes - from >= kWriteBackWindow) {
        ::sync_file_range(fd, from, kWriteBackWindow, SYNC_FILE_RANGE_WRITE);
        if (from >= kWriteBackWindow)
            ::sync_file_range(fd, from - kWriteBackWindow, kWriteBackWindow,
                              SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                  SYNC_FILE_RANGE_WAIT_AFTER);
        from += kWriteBackWindow;
    }
}

void DownloadDelegate::fail(OperationOutcome::Kind kind, const QString& detail)
{
    stopReceiveWithStatus(outcome(kind, detail));
}

void DownloadDelegate::stopReceiveWithStatus(const OperationOutcome& statusValue)
{
    TANDREL_ASSERT(run);
    networkStream.stop();
    OperationOutcome status = statusValue;
    if (fileStream) {
        // Bytes received before a failure are kept in the partial file too.
        if (const std::optional<QString> problem = writePending(); problem && status.succeeded())
            status = outcome(OperationOutcome::Kind::FileWriteError, *problem);
        // On disk before the rename, so that a crash right after never leaves an empty file in
        // place of the old one (one may have appeared while the download ran).
        if (status.succeeded() && (run->replacesFile || existsOrDangles(run->localFile))) {
            if (syncThread.joinable())
                syncThread.join();
            const int fd = ::dup(fileStream->handle());
            const int dupError = fd < 0 ? errno : 0;
            syncThread = std::thread([this, fd, dupError, status] {
                int error = dupError;
                if (fd >= 0) {
                    if (::fsync(fd) != 0)
                        error = errno;
                    ::close(fd);
                }
                QMetaObject::invokeMethod(
                    this, [this, status, error] { synced(status, error); }, Qt::QueuedConnection);
            });
            return;
        }
    }
    finishReceive(status);
}

void DownloadDelegate::noteWriteError(int error)
{
    run->diskFull = run->diskFull || error == ENOSPC || error == EDQUOT || error == EFBIG;
}

void DownloadDelegate::synced(const OperationOutcome& status, int error)
{
    syncThread.join();
    noteWriteError(error);
    finishReceive(error == 0 ? status
                             : outcome(OperationOutcome::Kind::FileWriteError,
                                       QString::fromLocal8Bit(std::strerror(error))));
}

void DownloadDelegate::finishReceive(OperationOutcome status)
{
    const auto writeFailed = [&](const QString& detail) {
        status = outcome(OperationOutcome::Kind::FileWriteError, detail);
    };
    if (fileStream) {
        fileStream->close();
        if (status.succeeded() && fileStream->error() != QFileDevice::NoError)
            writeFailed(fileStream->errorString());
        fileStream.reset();
    }
    if (status.succeeded() && !run->partialFile.isEmpty() &&
        replaceTarget(run->partialFile, run->localFile) != 0)
        writeFailed(QString::fromLocal8Bit(std::strerror(errno)));
    if (!status.succeeded())
        keepPartialFile();
    status.resumeRefused = run->resumeRefused;
    status.resumeUnchecked = run->resumeUnchecked;
    status.diskFull = !status.succeeded() && run->diskFull;

    // Success or failure, the window is ready for the next operation; a failure says in the
    // status line what failed.
    run.reset();
    // The user may have disconnected while the file went to the disk. A folder's files belong to
    // the queue, which holds the buttons until its last one: enabling them for a moment between
    // two files would only repaint them.
    if (!helper && !buttonsHeld)
        controller->setButtonsState(remote->isConnected());
    if (!status.succeeded())
        updateStatus(status.statusText().value_or(QString()));
    if (!status.succeeded() || status.resumeRefused || status.resumeUnchecked)
        report(status);
    endOperation(status);
}

void DownloadDelegate::keepPartialFile()
{
    const QString& partialFile = run->partialFile;
    if (partialFile.isEmpty())
        return;
    // The data received so far stays beside the target; an empty partial file holds nothing
    // worth keeping, nor does a small file's, fetched whole again (see kUnaskedSize).
    const QFileInfo partial(partialFile);
    if (partial.size() == 0 || run->receivedBytes == 0 || run->unasked) {
        PartialRecord::removeFor(partialFile);
        QFile::remove(partialFile);
        return;
    }
    // Without the server's size nothing could tell a changed file: not continued then.
    if (!run->announcedSize || partial.size() > *run->announcedSize)
        return;
    PartialRecord record;
    record.url = run->remoteText;
    record.user = run->loginUser;
    record.size = *run->announcedSize;
    record.length = partial.size();
    record.modified = run->serverModified;
    record.writeFor(partialFile);
}

void DownloadDelegate::cancel()
{
    if (isTransferring())
        stopReceiveWithStatus(outcome(OperationOutcome::Kind::Cancelled));
}

bool DownloadDelegate::hasPartialOf(const ListingEntry& entry, const QString& folderURL,
                                    const QString& localPath)
{
    const std::optional<QString> text =
        RemoteFolder::urlIn(folderURL, RemoteFolder::rawNameOf(entry), false);
    const std::optional<QUrl> url = text ? MiscTool::smartURLForString(*text) : std::nullopt;
    if (!url)
        return false;
    const QString remoteText = recordedUrl(*url);
    const QString user = loginUserIn(MiscTool::streamProperties());
    // As the download looks for one: the names in turn, up to the first free one.
    for (int n = 0; n < kPartialNameTries; ++n) {
        const QString candidate = partialName(localPath, n);
        const QFileInfo partial(candidate);
        if (!partial.exists() && !partial.isSymLink())
            return false;
        const std::optional<PartialRecord> record = PartialRecord::readFor(candidate);
        if (record && record->sameOrigin(remoteText, user) && record->length > 0 &&
            record->length <= record->size && !partial.isSymLink() && partial.isFile() &&
            partial.size() == record->length)
            return true;
    }
    return false;
}

std::optional<OperationOutcome> DownloadDelegate::prepareDownloadFolder()
{
    const QString folder = controller->downloadFolder;
    if (QFileInfo(folder).isDir())
        return std::nullopt;
    // A fresh account may have no Downloads folder yet: the default one is made, private to
    // the user. A folder the user chose and that has gone is not made again behind their back.
    OperationOutcome unusable = outcome(OperationOutcome::Kind::DownloadFolderMissing);
    if (isSameFolder(folder, MiscTool::getDownloadFolder())) {
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) == 0)
            return std::nullopt;
        unusable = outcome(OperationOutcome::Kind::DownloadFolderNotMade,
                           QString::fromLocal8Bit(std::strerror(errno)));
    }
    unusable.subject = folder;
    return unusable;
}

void DownloadDelegate::updateStatus(const QString& statusText)
{
    Log::line(statusText);
}
