#include "DownloadDelegate.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>

#include "Classes/Controller.h"
#include "MiscTool.h"
#include "platform/Assert.h"
#include "platform/Log.h"
#include "platform/RemoteName.h"
#include "platform/UrlText.h"
#include "platform/toolkit/Toolkit.h"

namespace {

// The downward arrow with the emoji presentation selector.
const QString kArrow = QStringLiteral("\u2B07\uFE0F");
// NAME.part, then NAME.1.part, NAME.2.part, ...: never an existing file.
constexpr int kPartialNameTries = 1000;
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

bool existsOrDangles(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool isSameFolder(const QString& a, const QString& b)
{
    return QDir::cleanPath(a) == QDir::cleanPath(b);
}

} // namespace

DownloadDelegate::DownloadDelegate(QObject* parent)
    : RemoteOperation(parent)
{}

DownloadDelegate::~DownloadDelegate()
{
    if (networkStream)
        networkStream->setDelegate(nullptr);
}

void DownloadDelegate::download()
{
    const ListingEntry* entry = selectedEntry();
    if (!entry)
        return;
    const QString size = MiscTool::getFileSize(*entry);
    if (size == QLatin1String("-")) {
        Toolkit::Alert alert;
        alert.style = Toolkit::AlertStyle::Informational;
        alert.messageText = Controller::localizedString("NotSupportAlert");
        alert.informativeText = Controller::localizedString("DirDownloadNotSupport");
        Toolkit::shared().runModalAlert(alert);
        return;
    }

    // The server's bytes must address one file, and the shown name becomes a local file name:
    // it must stay one entry of the download folder and show in a file manager as it is.
    const QByteArray rawName = rawNameOf(*entry);
    const QString name = MiscTool::getFileName(*entry).value_or(QString());
    const QString localPath = QDir(controller->downloadFolder).filePath(name);
    QString why = RemoteName::whyNotAddressable(rawName);
    if (why.isEmpty())
        why = RemoteName::whyNotSafeLocalName(name);
    if (why.isEmpty() && !isDirectlyInside(localPath, controller->downloadFolder))
        why = QStringLiteral("not a plain file name");
    if (!why.isEmpty()) {
        const QString text =
            QStringLiteral("Refused to download \"%1\": %2").arg(Log::printable(name), why);
        Log::line(text);
        controller->showStatus(text);
        return;
    }
    if (!prepareDownloadFolder())
        return;
    if (!beginOperation())
        return;

    // Built from the server's own name bytes and escaped exactly once, whether or not the
    // folder URL held escapes.
    const std::optional<QByteArray> folder =
        UrlText::percentDecodedBytes(controller->getCurrentFTPURL());
    const QString url = folder ? UrlText::addPercentEscapes(*folder + rawName) : QString();
    fileSize = size.toLongLong();
    listedSize = entry->kCFFTPResourceSize ? std::optional<int64_t>(fileSize) : std::nullopt;

    controller->setButtonsState(false);
    showQueueStart(kArrow, "Download", localPath);
    emit queueDisplayChanged();
    startReceive(url, localPath);
}

void DownloadDelegate::startReceive(const QString& url, const QString& localFilePath)
{
    if (!isRunning() && !beginOperation())
        return;
    receivedBytes = 0;
    writeBackFrom = 0;
    expectedSize = listedSize;
    failureDetail.clear();
    localFile = localFilePath;
    const std::optional<QUrl> remote = MiscTool::smartURLForString(url);
    if (!remote) {
        stopReceiveWithStatus(QStringLiteral("Invalid URL"));
        return;
    }
    if (!createPartialFile()) {
        stopReceiveWithStatus(QStringLiteral("File write error"));
        return;
    }
    networkStream = FtpStream::CFReadStreamCreateWithFTPURL(*remote);
    MiscTool::setProperty(*networkStream);
    networkStream->setDelegate(this);
    networkStream->scheduleInRunLoop();
    networkStream->open();
}

bool DownloadDelegate::createPartialFile()
{
    // Created exclusively (O_EXCL): an existing file or link of that name is never opened.
    for (int n = 0; n < kPartialNameTries; ++n) {
        const QString candidate = n == 0 ? localFile + QStringLiteral(".part")
                                         : QStringLiteral("%1.%2.part").arg(localFile).arg(n);
        auto file = std::make_unique<QFile>(candidate);
        if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            fileStream = std::move(file);
            partialFile = candidate;
            return true;
        }
        if (!existsOrDangles(candidate)) {
            failureDetail = file->errorString();
            return false;
        }
    }
    failureDetail = QStringLiteral("No free name for the partial file");
    return false;
}

void DownloadDelegate::streamHandleEvent(FtpStream* aStream, NSStreamEvent eventCode)
{
    TANDREL_ASSERT(aStream == networkStream.get());
    switch (eventCode) {
    case NSStreamEventOpenCompleted:
        // The server's own size for the file wins over the listing's.
        if (const std::optional<int64_t> announced = networkStream->announcedSize()) {
            expectedSize = announced;
            fileSize = *announced;
        }
        break;
    case NSStreamEventHasBytesAvailable:
        moveOneChunk();
        break;
    case NSStreamEventHasSpaceAvailable:
        TANDREL_ASSERT(NO);
        break;
    case NSStreamEventErrorOccurred:
        failureDetail = networkStream->streamError().message;
        stopReceiveWithStatus(QStringLiteral("Stream open error"));
        break;
    case NSStreamEventEndEncountered:
        break; // the read that answers 0 ends the download
    default:
        TANDREL_ASSERT(NO);
    }
}

void DownloadDelegate::moveOneChunk()
{
    char buffer[kChunkSize];
    const int64_t count = networkStream->read(buffer, kChunkSize);
    if (count < 0) {
        failureDetail = networkStream->streamError().message;
        stopReceiveWithStatus(QStringLiteral("Network read error"));
        return;
    }
    if (count == 0) {
        // The stream answers 0 only after the server's final reply confirmed the transfer, but
        // a server may close the data connection early and still confirm it. More bytes than
        // announced is a file that grew meanwhile.
        if (expectedSize && receivedBytes < *expectedSize) {
            stopReceiveWithStatus(QStringLiteral("Download incomplete: %1 of %2 bytes")
                                      .arg(receivedBytes)
                                      .arg(*expectedSize));
            return;
        }
        stopReceiveWithStatus(std::nullopt);
        return;
    }
    for (int64_t written = 0; written < count;) {
        const qint64 n = fileStream->write(buffer + written, count - written);
        if (n <= 0) {
            failureDetail = fileStream->errorString();
            stopReceiveWithStatus(QStringLiteral("File write error"));
            return;
        }
        written += n;
        receivedBytes += n;
        showQueueProgress(receivedBytes, fileSize, false);
    }
    writeBack();
}

void DownloadDelegate::writeBack()
{
    // Starts writing the window just filled and waits for the one before it: the dirty part of
    // the file stays within two windows, and a wait is for one window only. Failures show at
    // the fsync that ends the download.
    const int fd = fileStream->handle();
    while (receivedBytes - writeBackFrom >= kWriteBackWindow) {
        ::sync_file_range(fd, writeBackFrom, kWriteBackWindow, SYNC_FILE_RANGE_WRITE);
        if (writeBackFrom >= kWriteBackWindow)
            ::sync_file_range(fd, writeBackFrom - kWriteBackWindow, kWriteBackWindow,
                              SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                  SYNC_FILE_RANGE_WAIT_AFTER);
        writeBackFrom += kWriteBackWindow;
    }
}

void DownloadDelegate::stopReceiveWithStatus(const std::optional<QString>& statusText)
{
    if (networkStream) {
        networkStream->removeFromRunLoop();
        networkStream->setDelegate(nullptr);
        networkStream->close();
        networkStream.reset();
    }
    std::optional<QString> status = statusText;
    if (fileStream) {
        // On disk before the rename, so that a crash right after never leaves an empty file in
        // place of the old one.
        if (!status && ::fsync(fileStream->handle()) != 0) {
            failureDetail = QString::fromLocal8Bit(std::strerror(errno));
            status = QStringLiteral("File write error");
        }
        fileStream->close();
        if (!status && fileStream->error() != QFileDevice::NoError) {
            failureDetail = fileStream->errorString();
            status = QStringLiteral("File write error");
        }
        fileStream.reset();
    }
    if (!status && !partialFile.isEmpty() &&
        std::rename(QFile::encodeName(partialFile).constData(),
                    QFile::encodeName(localFile).constData()) != 0) {
        failureDetail = QString::fromLocal8Bit(std::strerror(errno));
        status = QStringLiteral("File write error");
    }
    // A failure leaves the data received so far beside the target; an empty partial file
    // holds nothing worth keeping.
    if (status && !partialFile.isEmpty() && receivedBytes == 0)
        QFile::remove(partialFile);
    partialFile.clear();

    // Success or failure, the window is ready for the next operation; a failure says in the
    // status line what failed.
    fileSize = 0;
    receivedBytes = 0;
    listedSize.reset();
    controller->setButtonsState(true);
    resetQueueDisplay();
    if (status) {
        updateStatus(*status);
        showFailure(*status, failureDetail);
    }
    endOperation(status);
}

bool DownloadDelegate::prepareDownloadFolder()
{
    const QString folder = controller->downloadFolder;
    if (QFileInfo(folder).isDir())
        return true;
    // A fresh account may have no Downloads folder yet: the default one is made, private to
    // the user. A folder the user chose and that has gone is not made again behind their back.
    if (isSameFolder(folder, MiscTool::getDownloadFolder())) {
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) == 0)
            return true;
        controller->showStatus(
            QStringLiteral("Cannot create the download folder \"%1\": %2")
                .arg(Log::printable(folder), QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    controller->showStatus(
        QStringLiteral("The download folder \"%1\" does not exist").arg(Log::printable(folder)));
    return false;
}

void DownloadDelegate::updateStatus(const QString& statusText)
{
    Log::line(statusText);
}
