// Moves one file through an FTP stream the way Tandrel's download and upload do (32 KiB reads
// into a local file; 32 KiB refills offered to the stream) and prints the throughput and the
// process's peak resident memory.
//
//   stream_bench download <ftp-url> <local-file>
//   stream_bench upload <local-file> <ftp-url>

#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "platform/ftp/OwnedStream.h"

namespace {

constexpr int64_t kChunk = OwnedStream::kChunkSize;

class Transfer final : public FtpStreamDelegate
{
public:
    Transfer(std::unique_ptr<FtpStream> stream, int fd)
        : networkStream(std::move(stream))
        , fd(fd)
    {}

    void start() { networkStream.open({}, this); }

    void streamHandleEvent(FtpStream*, NSStreamEvent event) override
    {
        switch (event) {
        case NSStreamEventOpenCompleted:
        case NSStreamEventEndEncountered:
            break;
        case NSStreamEventHasBytesAvailable: {
            const int64_t n = networkStream->read(buffer, kChunk);
            if (n <= 0)
                stop(n == 0);
            else if (::write(fd, buffer, n) != n)
                stop(false);
            else
                bytes += n;
            break;
        }
        case NSStreamEventHasSpaceAvailable:
            if (offset == limit) {
                limit = ::read(fd, buffer, kChunk);
                offset = 0;
                if (limit <= 0) {
                    stop(limit == 0);
                    return;
                }
            }
            if (const int64_t n = networkStream->write(buffer + offset, limit - offset); n < 0) {
                stop(false);
            } else {
                offset += n;
                bytes += n;
            }
            break;
        case NSStreamEventErrorOccurred:
            std::fprintf(stderr, "stream error: %s\n",
                         qPrintable(networkStream->streamError().message));
            stop(false);
            break;
        default:
            break;
        }
    }

    bool succeeded = false;
    int64_t bytes = 0;

private:
    void stop(bool ok)
    {
        const bool upload = networkStream->direction() == FtpStream::Direction::Write;
        succeeded = ok && (!upload || networkStream.stop().serverConfirmed);
        QCoreApplication::quit();
    }

    OwnedStream networkStream;
    int fd;
    char buffer[kChunk];
    int64_t offset = 0;
    int64_t limit = 0;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool download = args.size() == 4 && args[1] == QLatin1String("download");
    const bool upload = args.size() == 4 && args[1] == QLatin1String("upload");
    if (!download && !upload) {
        std::fprintf(stderr,
                     "usage: stream_bench download <ftp-url> <file> | upload <file> <ftp-url>\n");
        return 2;
    }
    const QString local = download ? args[3] : args[2];
    const QUrl url(download ? args[2] : args[3], QUrl::StrictMode);
    const int fd = download
                       ? ::open(local.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644)
                       : ::open(local.toLocal8Bit().constData(), O_RDONLY);
    if (fd < 0) {
        std::perror("open");
        return 2;
    }

    Transfer transfer(download ? FtpStream::CFReadStreamCreateWithFTPURL(url)
                               : FtpStream::CFWriteStreamCreateWithFTPURL(url),
                      fd);
    QElapsedTimer timer;
    timer.start();
    transfer.start();
    app.exec();
    const double seconds = timer.nsecsElapsed() / 1e9;
    ::close(fd);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%s %lld bytes in %.3f s: %.1f MB/s, peak RSS %ld KiB%s\n",
                download ? "download" : "upload", static_cast<long long>(transfer.bytes), seconds,
                transfer.bytes / seconds / 1e6, usage.ru_maxrss,
                transfer.succeeded ? "" : " (FAILED)");
    return transfer.succeeded ? 0 : 1;
}
