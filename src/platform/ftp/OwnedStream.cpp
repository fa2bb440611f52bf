#include "platform/ftp/OwnedStream.h"

OwnedStream::OwnedStream(std::unique_ptr<FtpStream> stream)
    : stream(std::move(stream))
{}

OwnedStream::~OwnedStream()
{
    stop();
}

void OwnedStream::open(FtpStream::Direction direction, const QUrl& url,
                       const FtpStreamProperties& properties, FtpStreamDelegate* delegate)
{
    stop();
    stream = direction == FtpStream::Direction::Read
                 ? FtpStream::CFReadStreamCreateWithFTPURL(url)
                 : FtpStream::CFWriteStreamCreateWithFTPURL(url);
    open(properties, delegate);
}

void OwnedStream::open(const FtpStreamProperties& properties, FtpStreamDelegate* delegate)
{
    for (const auto& [key, value] : properties)
        stream->setProperty(value, key);
    stream->setDelegate(delegate);
    stream->scheduleInRunLoop();
    stream->open();
}

StreamEnd OwnedStream::stop()
{
    StreamEnd end;
    if (!stream)
        return end;
    stream->removeFromRunLoop();
    stream->setDelegate(nullptr);
    stream->close();
    end.serverConfirmed = stream->serverConfirmed();
    end.error = stream->streamError();
    end.maxBufferedBytes = stream->maxBufferedBytes();
    stream.reset();
    return end;
}

void OwnedStream::abort()
{
    if (!stream)
        return;
    stream->removeFromRunLoop();
    stream->setDelegate(nullptr);
    stream->abort();
    stream.reset();
}
