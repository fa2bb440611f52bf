#include "StreamRecorder.h"

StreamRecorder::StreamRecorder(std::unique_ptr<FtpStream> stream)
    : networkStream(std::move(stream))
{}

StreamRecorder::StreamRecorder(const QUrl& url)
    : StreamRecorder(FtpStream::CFReadStreamCreateWithFTPURL(url))
{}

void StreamRecorder::start(const FtpStreamProperties& properties)
{
    inside([&] { networkStream.open(properties, this); });
}

void StreamRecorder::stop()
{
    if (!networkStream)
        return;
    const StreamEnd end = inside([this] { return networkStream.stop(); });
    confirmed = end.serverConfirmed;
    maxBuffered = std::max(maxBuffered, end.maxBufferedBytes);
    if (error.domain == StreamErrorDomain::None)
        error = end.error;
    stopped = true;
}

bool StreamRecorder::waitUntilDone(int timeoutMs)
{
    return QTest::qWaitFor([this] { return done(); }, timeoutMs);
}

void StreamRecorder::streamHandleEvent(FtpStream* aStream, NSStreamEvent eventCode)
{
    if (insideCall)
        eventInsideCall = true;
    EXPECT_EQ(aStream, networkStream.get());
    events.push_back(eventCode);
    security = aStream->security();
    if (eventCode == NSStreamEventOpenCompleted) {
        sizeAtOpen = aStream->announcedSize();
        timeAtOpen = aStream->modificationTime();
    }
    if (onEvent && onEvent(eventCode))
        return;
    switch (eventCode) {
    case NSStreamEventOpenCompleted:
        break;
    case NSStreamEventHasBytesAvailable:
        handleBytes();
        break;
    case NSStreamEventHasSpaceAvailable:
        handleSpace();
        break;
    case NSStreamEventErrorOccurred:
        failed = true;
        error = aStream->streamError();
        stop();
        break;
    case NSStreamEventEndEncountered:
        ended = true;
        stop();
        break;
    default:
        ADD_FAILURE() << "unexpected event " << eventCode;
    }
}

void StreamRecorder::handleBytes()
{
    maxBuffered = std::max(maxBuffered, networkStream->maxBufferedBytes());
    QByteArray chunk(OwnedStream::kChunkSize, Qt::Uninitialized);
    const int64_t n = inside([&] { return networkStream->read(chunk.data(), chunk.size()); });
    if (n < 0) {
        readFailed = true;
        error = networkStream->streamError();
        stop();
    } else if (n == 0) {
        ended = true;
        stop();
    } else {
        received.append(chunk.constData(), n);
    }
}

void StreamRecorder::handleSpace()
{
    if (uploadOffset == upload.size()) {
        stop();
        uploaded = true;
        return;
    }
    const int64_t offered = std::min<int64_t>(offerSize, upload.size() - uploadOffset);
    const int64_t n =
        inside([&] { return networkStream->write(upload.constData() + uploadOffset, offered); });
    if (n < 0) {
        failed = true;
        error = networkStream->streamError();
        stop();
        return;
    }
    if (n < offered)
        ++partialWrites;
    uploadOffset += n;
}

namespace {

std::unique_ptr<StreamRecorder> runStream(std::unique_ptr<FtpStream> stream,
                                          const FtpStreamProperties& properties,
                                          const QByteArray& upload = {}, int timeoutMs = 20000)
{
    auto recorder = std::make_unique<StreamRecorder>(std::move(stream));
    recorder->upload = upload;
    recorder->start(properties);
    EXPECT_TRUE(recorder->waitUntilDone(timeoutMs));
    return recorder;
}

} // namespace

std::unique_ptr<StreamRecorder> readUrl(const QUrl& url, const FtpStreamProperties& properties)
{
    return runStream(FtpStream::CFReadStreamCreateWithFTPURL(url), properties);
}

std::unique_ptr<StreamRecorder> writeUrl(const QUrl& url, const QByteArray& upload,
                                         const FtpStreamProperties& properties, int timeoutMs)
{
    return runStream(FtpStream::CFWriteStreamCreateWithFTPURL(url), properties, upload, timeoutMs);
}
