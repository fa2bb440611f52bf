#include "UploadDelegate.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>

#include "Classes/Controller.h"
#include "Classes/RemoteFolder.h"
#include "MiscTool.h"
#include "platform/Assert.h"
#include "platform/RemoteName.h"
#include "platform/UserDefaults.h"
#include "platform/toolkit/Toolkit.h"

namespace {

// One read(2), retried only when a signal interrupted it.
int64_t readSome(QFile& file, char* buffer, int64_t maxLength)
{
    for (;;) {
        const ssize_t n = ::read(file.handle(), buffer, static_cast<size_t>(maxLength));
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

} // namespace

UploadDelegate::Run::Run() = default;

UploadDelegate::UploadDelegate(QObject* parent)
    : RemoteOperation(OperationOutcome::Action::Upload, parent)
{}

void UploadDelegate::uploadAction()
{
    // No slot is taken here: files chosen while another operation runs wait for it in the queue.
    // A folder chosen is sent with its tree.
    Toolkit::OpenPanel panel;
    panel.canChooseFiles = true;
    panel.canChooseDirectories = true;
    panel.allowsMultipleSelection = true;
    // It opens where the last upload was chosen, else in the home folder.
    auto& store = UserDefaults::standardUserDefaults();
    const QString lastFolder = store.text(Setting::UploadFolder);
    panel.directory = !lastFolder.isEmpty() && QFileInfo(lastFolder).isDir()
                          ? lastFolder
                          : MiscTool::getUserHome();
    const Toolkit::OpenPanelAnswer answer = Toolkit::shared().runModalOpenPanel(panel);
    if (answer.code != Toolkit::kDefaultReturn)
        return;
    const QStringList paths = answer.paths.isEmpty() ? QStringList{answer.path} : answer.paths;
    store.setObject(QFileInfo(paths.constFirst()).absolutePath(), Setting::UploadFolder);
    emit filesChosen(paths);
}

std::optional<OperationOutcome> UploadDelegate::startUpload(const QString& path,
                                                            const QString& folderURL,
                                                            const QString& remoteName,
                                                            int64_t appendFrom)
{
    if (!beginOperation())
        return outcome(OperationOutcome::Kind::Busy);
    // The name goes into an FTP command: a line break in it is refused before anything is sent.
    const QString name = remoteName.isEmpty() ? QFileInfo(path).fileName() : remoteName;
    if (const QString why = RemoteName::whyNotAddressable(QFile::encodeName(name));
        !why.isEmpty()) {
        abandonOperation();
        return refuseName(name, why);
    }

    run.emplace();
    run->remoteFolder = folderURL;
    run->remoteName = name;
    run->appendFrom = appendFrom;
    controller->setButtonsState(false);
    run->fileSize = static_cast<int64_t>(MiscTool::getLocalFileSize(path));
    announceStart(path);
    startSend(path);
    return std::nullopt;
}

void UploadDelegate::startSend(const QString& path)
{
    // The folder's URL as it stands, then the file's name as one path component.
    const QByteArray name = QFile::encodeName(run->remoteName);
    const std::optional<QString> text = RemoteFolder::urlIn(
        run->remoteFolder.isEmpty() ? remote->getCurrentFTPURL() : run->remoteFolder, name, false);
    const std::optional<QUrl> target =
        text && RemoteName::isAddressable(name) ? MiscTool::smartURLForString(*text) : std::nullopt;
    if (!target) {
        fail(OperationOutcome::Kind::InvalidUrl);
        return;
    }

    // A file that cannot be read ends the upload before the server is asked to store
    // anything, so that no remote file of that name is emptied for nothing. Opened without
    // waiting (a FIFO would wait for a writer) and sent only when it is a regular file: a FIFO,
    // a device or a socket has no end that the server's copy could be checked against.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        fail(OperationOutcome::Kind::FileReadError, QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    struct stat info = {};
    fileStream = std::make_unique<QFile>();
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        OperationOutcome refused =
            outcome(OperationOutcome::Kind::NameRefused, QStringLiteral("not a regular file"));
        refused.subject = QFileInfo(path).fileName();
        stopSendWithStatus(refused);
        return;
    }
    if (!fileStream->open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered,
                          QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        fail(OperationOutcome::Kind::FileReadError, fileStream->errorString());
        return;
    }
    // What the server's copy must match: the file as it was when the upload began.
    run->fileSize = run->startSize = static_cast<int64_t>(info.st_size);
    run->startModified = info.st_mtim;
    FtpStreamProperties properties = MiscTool::streamProperties();
    if (run->appendFrom > 0) {
        // The server holds the bytes before appendFrom: the rest goes after them.
        if (run->appendFrom > run->startSize ||
            ::lseek(fd, run->appendFrom, SEEK_SET) != run->appendFrom) {
            fail(OperationOutcome::Kind::FileChanged);
            return;
        }
        run->sentBytes = run->appendFrom;
        properties[FtpStreamProperty::FileTransferOffset] = static_cast<qint64>(run->appendFrom);
    }
    networkStream.open(FtpStream::Direction::Write, *target, properties, this);
}

void UploadDelegate::streamHandleEvent(FtpStream* aStream, NSStreamEvent eventCode)
{
    TANDREL_ASSERT(aStream == networkStream.get());
    switch (eventCode) {
    case NSStreamEventOpenCompleted:
        break;
    case NSStreamEventHasBytesAvailable:
        TANDREL_ASSERT(NO);
        break;
    case NSStreamEventHasSpaceAvailable:
        sendStep();
        break;
    case NSStreamEventErrorOccurred:
        fail(OperationOutcome::Kind::StreamOpenError, networkStream->streamError().message);
        break;
    case NSStreamEventEndEncountered:
        break;
    default:
        TANDREL_ASSERT(NO);
    }
}

void UploadDelegate::sendStep()
{
    Run& r = *run;
    if (r.bufferOffset == r.bufferLimit) {
        if (!r.sendBuffer)
            r.sendBuffer = std::make_unique_for_overwrite<char[]>(kReadSize);
        const int64_t count = readSome(*fileStream, r.sendBuffer.get(), kReadSize);
        if (count < 0) {
            fail(OperationOutcome::Kind::FileReadError,
                 QString::fromLocal8Bit(std::strerror(errno)));
            return;
        }
        // More bytes than at the start, or fewer, or a new modification time at the end: the
        // server would hold neither version of the file.
        if ((count > 0 && r.sentBytes + count > r.startSize) ||
            (count == 0 && !unchangedSinceStart())) {
            networkStream.abort();
            fail(OperationOutcome::Kind::FileChanged);
            return;
        }
        if (count == 0) {
            finishSend();
            return;
        }
        r.bufferOffset = 0;
        r.bufferLimit = static_cast<uint64_t>(count);
    }
    const int64_t written =
        networkStream->write(r.sendBuffer.get() + r.bufferOffset,
                             std::min<int64_t>(static_cast<int64_t>(r.bufferLimit - r.bufferOffset),
                                               OwnedStream::kChunkSize));
    if (written < 0) {
        fail(OperationOutcome::Kind::NetworkWriteError, networkStream->streamError().message);
        return;
    }
    r.bufferOffset += static_cast<uint64_t>(written);
    r.sentBytes += written;
    emit progressed(r.sentBytes, r.fileSize);
}

bool UploadDelegate::unchangedSinceStart() const
{
    struct stat info = {};
    return run->sentBytes == run->startSize && ::fstat(fileStream->handle(), &info) == 0 &&
           info.st_size == run->startSize && info.st_mtim.tv_sec == run->startModified.tv_sec &&
           info.st_mtim.tv_nsec == run->startModified.tv_nsec;
}

void UploadDelegate::finishSend()
{
    // Closing sends the end of the data and waits, bounded, for the server's reply on the
    // stored file: a refusal after the data (552, 451) or a lost connection is no success.
    awaitingVerdict = true;
    /* BLOCKING: runs the event loop, user input held, until the server's verdict; up to 30 s
       (the finish time-out) */
    const StreamEnd end = networkStream.stop();
    awaitingVerdict = false;
    stopSendWithStatus(end.serverConfirmed ? outcome(OperationOutcome::Kind::Succeeded)
                                           : outcome(OperationOutcome::Kind::UploadNotConfirmed,
                                                     end.error.message));
}

void UploadDelegate::cancel()
{
    if (!isTransferring())
        return;
    networkStream.abort();
    stopSendWithStatus(outcome(OperationOutcome::Kind::Cancelled));
}

void UploadDelegate::fail(OperationOutcome::Kind kind, const QString& detail)
{
    stopSendWithStatus(outcome(kind, detail));
}

void UploadDelegate::stopSendWithStatus(const OperationOutcome& status)
{
    /* BLOCKING: while the upload still runs, waits for its verdict as above; up to 30 s */
    networkStream.stop();
    if (fileStream) {
        fileStream->close();
        fileStream.reset();
    }
    // Success or failure, the window is ready for the next operation; a failure says in the
    // status line what failed.
    run.reset();
    // A folder's files belong to the queue, which holds the buttons until its last one.
    if (!helper && !buttonsHeld)
        controller->setButtonsState(true);
    if (status.succeeded() && reloadAfterSuccess)
        controller->reloadAction();
    else
        report(status);
    endOperation(status);
}
