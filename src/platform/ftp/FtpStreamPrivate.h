#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include <curl/curl.h>

#include "platform/ftp/FtpStream.h"
#include "platform/ftp/FtpTarget.h"
#include "platform/ftp/StreamBuffer.h"
#include "platform/ftp/TlsPolicy.h"

// One FTP transfer on one libcurl easy handle, behind an FtpStream. A read stream buffers what
// libcurl receives and hands it out in read(); a write stream buffers what write() accepts and
// hands it to libcurl's read callback. Either way the buffer is bounded: the transfer pauses
// when it is full (a download) or empty (an upload) and resumes when its owner has caught up.
class FtpStreamPrivate final
{
public:
    using Clock = std::chrono::steady_clock;

    // A download pauses when a chunk would take its buffer past this and resumes below
    // kResumeBelow; an upload's buffer holds as much.
    static constexpr int64_t kBufferLimit = 256 * 1024;
    static constexpr int64_t kResumeBelow = 64 * 1024;
    static constexpr long kCurlBufferSize = 128 * 1024;
    // How long a running transfer may sit idle before libcurl is made to look at it again.
    static constexpr std::chrono::milliseconds kNudgeAfter{200};

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

    // What the driver asks and tells. An event due while the stream is off the loop is parked
    // and queued again, first, when it is back; without a delegate, or once closed, it is dropped.
    bool deliverable() const { return scheduled && delegate && state != State::Closed; }
    bool offTheLoop() const { return !scheduled && state != State::Closed; }
    void park(NSStreamEvent event);
    bool transferActive() const { return inMulti; }
    void transferFinished(CURLcode result);
    void controlReply(int code);
    // Fails a transfer that has stalled; nudges one that has been idle a while.
    void watch(Clock::time_point now);
    ConnectionSecurity security() const;

    FtpStream* const q;
    const FtpStream::Direction direction;
    const QUrl url;
    FtpStreamDelegate* delegate = nullptr;
    StreamError error;
    bool confirmed = false;
    std::optional<int64_t> announcedSize; // what the server said the file's size is
    int64_t maxBuffered = 0;
    StreamBuffer buffer{kBufferLimit};

    Q_DISABLE_COPY_MOVE(FtpStreamPrivate)

private:
    enum class State
    {
        Created, // not opened yet
        Running, // the transfer is under way (or still to be picked up by libcurl)
        Done,    // libcurl finished it; a read stream may still hold bytes
        Failed,  // an error was reported
        Closed,  // closed by its owner: nothing more happens
    };

    static size_t receive(char* data, size_t size, size_t count, void* self);
    static size_t send(char* out, size_t size, size_t count, void* self);
    static int debug(CURL* easy, curl_infotype type, char* data, size_t size, void*);
    static int progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    bool makesFolder() const { return direction == FtpStream::Direction::Write && folderTarget; }
    bool configure(const FtpTarget& target);
    bool configureTls(const QByteArray& transferUrl);
    void post(NSStreamEvent event);
    void signalOpen();
    void signalBytes();
    void signalSpace();
    void resumeReceiving();
    void nudge();
    void detach();
    void fail(const StreamError& failure);
    StreamError stallError() const;
    StreamError failureOf(CURLcode code) const;

    FtpStreamProperties properties;
    uint64_t id = 0;
    State state = State::Created;
    bool scheduled = false;
    std::vector<NSStreamEvent> parked;
    bool folderTarget = false;
    CURL* easy = nullptr;
    curl_slist* commands = nullptr;
    bool inMulti = false;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    bool closing = false; // an upload's close is waiting for the server's verdict
    Clock::time_point closeDeadline;
    std::optional<StreamError> abortedWith; // why the progress callback stopped the transfer
    bool finished = false;                  // libcurl reported the transfer done (result below)
    CURLcode result = CURLE_OK;
    bool uploadAccepted = false; // libcurl asked for the first bytes: STOR was accepted
    bool endOfData = false;      // the upload has no more bytes
    bool receivePaused = false;  // the download waits for the owner to read
    bool sendPaused = false;     // the upload waits for the owner to write
    bool openSignalled = false;
    bool bytesSignalled = false; // a has-bytes event is queued and not yet answered by a read
    bool spaceSignalled = false; // likewise a has-space event and a write
    bool endSignalled = false;
    Clock::time_point lastActivity;
    Clock::time_point lastNudge;

    std::unique_ptr<TlsPolicy> tls; // set once the handle is configured
};
