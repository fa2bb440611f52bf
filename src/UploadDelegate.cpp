#include "UploadDelegate.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

#include <QFileInfo>
#include <QProgressBar>

#include "Classes/Controller.h"
#include "MiscTool.h"
#include "platform/Assert.h"
#include "platform/Log.h"
#include "platform/RemoteName.h"
#include "platform/UrlText.h"
#include "platform/toolkit/Toolkit.h"

namespace {

// The upward arrow with the emoji presentation selector.
const QString kArrow = QStringLiteral("\u2B06\uFE0F");

// One read(2): a pipe or a device answers what it has, as a stream does, where QFile would
// wait until the whole buffer is filled.
int64_t readSome(QFile& file, char* buffer, int64_t maxLength)
{
    for (;;) {
        const ssize_t n = ::read(file.handle(), buffer, static_cast<size_t>(maxLength));
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

} // namespace

UploadDelegate::UploadDelegate(QObject* parent)
    : RemoteOperation(parent)
{}

void UploadDelegate::uploadAction()
{
    if (!beginOperation())
        return;
    Toolkit::OpenPanel panel;
    panel.canChooseFiles = true;
    panel.canChooseDirectories = false;
    panel.allowsMultipleSelection = false;
    const Toolkit::OpenPanelAnswer answer = Toolkit::shared().runModalOpenPanel(panel);
    if (answer.code != Toolkit::kDefaultReturn) {
        abandonOperation();
        return;
    }
    const QString path = answer.path;
    // The name goes into an FTP command: a line break in it is refused before anything is sent.
    if (const QString why =
            RemoteName::whyNotAddressable(QFile::encodeName(QFileInfo(path).fileName()));
        !why.isEmpty()) {
        abandonOperation();
        controller->showStatus(QStringLiteral("Refused to upload \"%1\": %2")
                                   .arg(Log::printable(QFileInfo(path).fileName()), why));
        return;
    }

    controller->setButtonsState(false);
    fileSize = static_cast<int64_t>(MiscTool::getLocalFileSize(path));
    showQueueStart(kArrow, "Upload", path);
    controller->progress0->setValue(100);
    emit queueDisplayChanged();
    startSend(path);
}

void UploadDelegate::startSend(const QString& path)
{
    if (!isRunning() && !beginOperation())
        return;
    sentBytes = 0;
    bufferOffset = 0;
    bufferLimit = 0;
    failureDetail.clear();

    // The folder's URL escaped exactly once, then the file's name as one path component.
    const std::optional<QByteArray> folder =
        UrlText::percentDecodedBytes(controller->getCurrentFTPURL());
    const QByteArray name = QFile::encodeName(QFileInfo(path).fileName());
    const std::optional<QUrl> remote =
        folder && RemoteName::isAddressable(name)
            ? MiscTool::smartURLForString(UrlText::addPercentEscapes(*folder) +
                                          escapeComponent(name))
            : std::nullopt;
    if (!remote) {
        stopSendWithStatus(QStringLiteral("Invalid URL"));
        return;
    }

    // A file that cannot be read ends the upload before the server is asked to store
    // anything, so that no remote file of that name is emptied for nothing.
    fileStream = std::make_unique<QFile>(path);
    if (!fileStream->open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        failureDetail = fileStream->errorString();
        stopSendWithStatus(QStringLiteral("File read error"));
        return;
    }
    networkStream.open(FtpStream::Direction::Write, *remote, MiscTool::streamProperties(), this);
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
        failureDetail = networkStream->streamError().message;
        stopSendWithStatus(QStringLiteral("Stream open error"));
        break;
    case NSStreamEventEndEncountered:
        break;
    default:
        TANDREL_ASSERT(NO);
    }
}

void UploadDelegate::sendStep()
{
    if (bufferOffset == bufferLimit) {
        const int64_t count = readSome(*fileStream, sendBuffer.data(), OwnedStream::kChunkSize);
        if (count < 0) {
            failureDetail = QString::fromLocal8Bit(std::strerror(errno));
            stopSendWithStatus(QStringLiteral("File read error"));
            return;
        }
        if (count == 0) {
            finishSend();
            return;
        }
        bufferOffset = 0;
        bufferLimit = static_cast<uint64_t>(count);
    }
    const int64_t written = networkStream->write(sendBuffer.data() + bufferOffset,
                                                 static_cast<int64_t>(bufferLimit - bufferOffset));
    if (written < 0) {
        failureDetail = networkStream->streamError().message;
        stopSendWithStatus(QStringLiteral("Network write error"));
        return;
    }
    bufferOffset += static_cast<uint64_t>(written);
    sentBytes += written;
    showQueueProgress(sentBytes, fileSize, true);
}

void UploadDelegate::finishSend()
{
    // Closing sends the end of the data and waits, bounded, for the server's reply on the
    // stored file: a refusal after the data (552, 451) or a lost connection is no success.
    const StreamEnd end = networkStream.stop();
    failureDetail = end.error.message;
    stopSendWithStatus(end.serverConfirmed ? std::nullopt
                                           : std::optional<QString>(QStringLiteral(
                                                 "Upload not confirmed by the server")));
}

void UploadDelegate::stopSendWithStatus(const std::optional<QString>& statusText)
{
    networkStream.stop();
    if (fileStream) {
        fileStream->close();
        fileStream.reset();
    }
    // Success or failure, the window is ready for the next operation; a failure says in the
    // status line what failed.
    fileSize = 0;
    sentBytes = 0;
    controller->setButtonsState(true);
    resetQueueDisplay();
    if (statusText)
        updateStatus(*statusText);
    else
        controller->reloadAction();
    endOperation(statusText);
}

void UploadDelegate::updateStatus(const QString& statusText)
{
    showFailure(statusText, failureDetail);
}
