#pragma once

#include <cstdint>
#include <memory>

#include <QUrl>

#include "platform/ftp/FtpStream.h"

// What a stream said at its stop, read after close and before the stream is dropped.
struct StreamEnd
{
    // For an upload: whether the server confirmed the stored file.
    bool serverConfirmed = false;
    StreamError error;
    int64_t maxBufferedBytes = 0;
};

// The one life cycle of an FTP stream, for every owner: opening creates the stream, applies its
// properties, sets the delegate, schedules it on the main loop and opens it; stopping takes it
// off the loop, clears the delegate, closes and drops it, so that no event follows. Dropping the
// owner stops a stream still held.
class OwnedStream final
{
public:
    // The most one read or one write moves: the listing, the transfers and their peers alike.
    static constexpr int64_t kChunkSize = 32768;

    OwnedStream() = default;
    // Holds a stream made elsewhere, not yet opened.
    explicit OwnedStream(std::unique_ptr<FtpStream> stream);
    ~OwnedStream();

    // Creates a stream on url in the given direction and opens it as below.
    void open(FtpStream::Direction direction, const QUrl& url,
              const FtpStreamProperties& properties, FtpStreamDelegate* delegate);
    // Opens the stream held: properties, delegate, run loop, open.
    void open(const FtpStreamProperties& properties, FtpStreamDelegate* delegate);
    // Off the loop, no delegate, closed, dropped; what it said at the end. Nothing when none
    // is held.
    StreamEnd stop();
    // As stop, but an upload ends at once, without waiting for the server's verdict.
    void abort();

    FtpStream* get() const { return stream.get(); }
    FtpStream* operator->() const { return stream.get(); }
    explicit operator bool() const { return stream != nullptr; }

    Q_DISABLE_COPY_MOVE(OwnedStream)

private:
    std::unique_ptr<FtpStream> stream;
};
