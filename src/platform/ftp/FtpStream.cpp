#include "platform/ftp/FtpStream.h"

#include "platform/ftp/CurlMulti.h"
#include "platform/ftp/CurlOptions.h"
#include "platform/ftp/FtpStreamPrivate.h"

std::unique_ptr<FtpStream> FtpStream::CFReadStreamCreateWithFTPURL(const QUrl& url)
{
    return std::unique_ptr<FtpStream>(new FtpStream(Direction::Read, url));
}

std::unique_ptr<FtpStream> FtpStream::CFWriteStreamCreateWithFTPURL(const QUrl& url)
{
    return std::unique_ptr<FtpStream>(new FtpStream(Direction::Write, url));
}

FtpStream::FtpStream(Direction direction, const QUrl& url)
    : d(std::make_unique<FtpStreamPrivate>(this, direction, url))
{}

FtpStream::~FtpStream()
{
    d->close();
}

FtpStream::Direction FtpStream::direction() const
{
    return d->direction;
}

QUrl FtpStream::url() const
{
    return d->url;
}

void FtpStream::setProperty(const QVariant& value, FtpStreamProperty key)
{
    d->setProperty(value, key);
}

void FtpStream::setDelegate(FtpStreamDelegate* delegate)
{
    d->setDelegate(delegate);
}

void FtpStream::scheduleInRunLoop()
{
    d->schedule();
}

void FtpStream::removeFromRunLoop()
{
    d->unschedule();
}

void FtpStream::open()
{
    d->open();
}

int64_t FtpStream::read(char* buffer, int64_t maxLength)
{
    return d->read(buffer, maxLength);
}

int64_t FtpStream::write(const char* buffer, int64_t length)
{
    return d->write(buffer, length);
}

void FtpStream::close()
{
    d->close();
}

void FtpStream::abort()
{
    d->abort();
}

StreamError FtpStream::streamError() const
{
    return d->error;
}

bool FtpStream::serverConfirmed() const
{
    return d->confirmed;
}

ConnectionSecurity FtpStream::security() const
{
    return d->security();
}

std::optional<int64_t> FtpStream::announcedSize() const
{
    return d->announcedSize;
}

QByteArray FtpStream::modificationTime() const
{
    return d->modificationTime;
}

bool FtpStream::offsetRefused() const
{
    return d->offsetRefused;
}

int64_t FtpStream::bufferedBytes() const
{
    return d->bufferedBytes();
}

int64_t FtpStream::maxBufferedBytes() const
{
    return d->maxBufferedBytes();
}

void FtpStream::setTimeoutScale(double scale)
{
    CurlOptions::setScale(scale);
}

void FtpStream::setCertificateAuthorities(const QString& pemFile)
{
    TlsPolicy::setCertificateAuthorities(pemFile);
}

void FtpStreamPrepareConnection(const QUrl& url, const FtpStreamProperties& properties)
{
    CurlMulti::instance().prepare(url, properties);
}
