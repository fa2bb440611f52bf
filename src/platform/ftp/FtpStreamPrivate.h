#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ftp/CurlTransfer.h"
#include "platform/ftp/FtpStream.h"

// One FTP transfer behind an FtpStream, as its owner sees it on the main thread. libcurl runs
// it on the curl thread (CurlEngine); this side keeps the stream's state, turns what the curl
// thread tells it into the stream's events, and shares the bounded byte buffer with it: a read
// stream hands out in read() what libcurl received, a write stream takes in write() what
// libcurl sends. The transfer pauses when the buffer is full (a download) or empty (an upload)
// and resumes when its owner has caught up.
class FtpStreamPrivate final
{
public:
    FtpStreamPrivate(FtpStream* q, FtpStream::Direction direction, const QUrl& url);
    ~FtpStreamPrivate();

    // The stream's operations, as FtpStream offers them.
    void setProperty(const QVariant& value, FtpStreamProperty key);
    void setDelegate(FtpStreamDelegate* newDelegate) { delegate = newDelegate; }
    void schedule();
    void unschedule() { scheduled = false; }
    void open();
    int64_t read(char* out, int64_t maxLength);
    int64_t write(const char* data, int64_t length);
    void close();
    void abort();
    int64_t bufferedBytes() const;
    int64_t maxBufferedBytes() const;

    // What the event queue asks and tells. An event due while the stream is off the loop is
    // parked and queued again, first, when it is back; without a delegate, or once closed, it
    // is dropped.
    bool deliverable() const { return scheduled && delegate && state != State::Closed; }
    bool offTheLoop() const { return !scheduled && state != State::Closed; }
    void park(NSStreamEvent event);
    // The end of a pass of the event loop: a paused upload goes on with what it was given.
    void releaseSend();
    // What protected the connection, as the curl thread last told it.
    ConnectionSecurity security() const { return lastSecurity; }

    FtpStream* const q;
    const FtpStream::Direction direction;
    const QUrl url;
    FtpStreamDelegate* delegate = nullptr;
    StreamError error;
    bool confirmed = false;               // an upload's close: the server confirmed the file
    std::optional<int64_t> announcedSize; // what the server said the file's size is
    bool offsetRefused = false;           // the server would not start at the offset (REST)
    QByteArray modificationTime;          // the file's time as the server gave it (MDTM)
    ConnectionSecurity lastSecurity;

    Q_DISABLE_COPY_MOVE(FtpStreamPrivate)

private:
    enum class State
    {
        Created,   // not opened yet: properties may still change
        Starting,  // handed to the curl thread; the server has not accepted the transfer yet
        Open,      // OpenCompleted is out: a download's bytes flow, an upload waits for libcurl
        Sending,   // libcurl takes the upload's bytes: has-space events go out
        Finishing, // an upload's close waits for the server's verdict; no events any more
        Done,      // libcurl finished a download or listing; bytes may still wait in the buffer
        Ended,     // EndEncountered is out: read() answers 0 from now on
        Failed,    // ErrorOccurred is out; streamError() tells why
        Closed,    // closed by its owner: nothing more happens
    };
    static const char* name(State state);

    // Every change of state passes here.
    void setState(State next);
    bool makesFolder() const { return direction == FtpStream::Direction::Write && folderTarget; }
    bool runningTransfer() const
    {
        return state == State::Starting || state == State::Open || state == State::Sending;
    }
    void noted(const CurlNote& note);
    void finished(const CurlNote& note);
    void post(NSStreamEvent event);
    void signalOpen();
    void signalBytes();
    void signalSpace();
    void stopTransfer();
    void fail(const StreamError& failure);

    FtpStreamProperties properties;
    const uint64_t id;
    State state = State::Created;
    bool scheduled = false;
    std::vector<NSStreamEvent> parked;
    const bool folderTarget;
    std::shared_ptr<CurlTransfer> transfer;
    // Has-bytes or has-space events queued and not yet answered by a read or write.
    uint64_t awaiting = NSStreamEventNone;
    std::optional<CurlNote> verdict; // how an upload closed on its owner ended
};
