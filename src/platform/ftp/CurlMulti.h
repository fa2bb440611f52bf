#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <unordered_map>
#include <vector>

#include <QObject>

#include <curl/curl.h>

#include "platform/ftp/CurlTransfer.h"
#include "platform/ftp/FtpStream.h"

class FtpStreamPrivate;

// The one libcurl multi handle of the process, run on a thread of its own, and the queue
// through which stream events reach their delegates on the main thread.
//
// libcurl waits for some server replies with a blocking read inside one call (the final reply
// after a transfer's data, the replies to quote commands), so it never runs on the main thread:
// the curl thread owns the multi handle and every easy handle, the main thread hands it
// commands (start, resume, stop) and gets CurlNotes back, posted to this object and handed out
// in order to whoever listens under the transfer's id. Stream events are queued under the
// stream's id as well, never a pointer, so an event for a stream that is gone is dropped.
class CurlMulti final : public QObject
{
    Q_OBJECT

public:
    using Clock = std::chrono::steady_clock;

    // The driver, made on first use and destroyed with the application object.
    static CurlMulti& instance();
    // The driver if it exists; for destructors that run late.
    static CurlMulti* existing();
    ~CurlMulti() override;

    // Ids for transfers and streams; notes for an id go to its listener (main thread).
    uint64_t newId() { return nextId++; }
    void listen(uint64_t id, std::function<void(const CurlNote&)> listener);
    void forget(uint64_t id);
    void registerStream(uint64_t id, FtpStreamPrivate* stream);

    // Commands for the curl thread. A stopped transfer says nothing more.
    void start(const std::shared_ptr<CurlTransfer>& transfer);
    void resume(uint64_t id);
    void stop(uint64_t id);
    // Resumes a paused upload, if it still waits, once this pass of the event loop has ended.
    void releaseAfterPass(uint64_t id);

    // Queues an event; it reaches the delegate later, from the event loop.
    void post(uint64_t id, NSStreamEvent event);
    // Queues events ahead of all others: those a stream parked while it was off the loop.
    void postFirst(uint64_t id, const std::vector<NSStreamEvent>& events);

    // Runs the event loop until done() holds, the deadline passes or the application quits,
    // with user input left waiting and stream events held: the window keeps painting while an
    // answer the caller needs before it goes on is awaited. Answers done().
    bool waitFor(const std::function<bool()>& done, Clock::time_point deadline);

    // The modal hold: while held, no delegate call is made.
    static void takeHold();
    static void releaseHold();

signals:
    void notesHandled();

private:
    struct Command
    {
        enum class Kind
        {
            Start,
            Resume,
            Stop
        } kind;
        uint64_t id;
        std::shared_ptr<CurlTransfer> transfer;
    };
    struct QueuedEvent
    {
        uint64_t id;
        NSStreamEvent event;
    };

    CurlMulti();
    // Ends the curl thread and waits for it: at the destruction, or at exit() before it.
    void stopThread();
    static void stopAtExit();
    void command(Command next);
    void deliverNotes();
    void scheduleDelivery();
    void deliverEvents();

    // The curl thread.
    void run();
    void begin(const std::shared_ptr<CurlTransfer>& transfer);
    void end(CurlTransfer& transfer);
    void collectFinished();
    std::shared_ptr<CurlTransfer> emptyFileCheck(CurlTransfer& transfer, CURLcode result);
    bool anyPaused();
    void checkStalls();
    void note(CurlNote next);
    static curl_socket_t openSocket(void* self, curlsocktype, curl_sockaddr* address);
    static int closeSocket(void* self, curl_socket_t fd);
    static size_t receive(char* data, size_t size, size_t count, void* transfer);
    static size_t discard(char* data, size_t size, size_t count, void* unused);
    static size_t send(char* out, size_t size, size_t count, void* transfer);
    static size_t header(char* data, size_t size, size_t count, void* transfer);
    static int progress(void* transfer, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    // Main thread.
    uint64_t nextId = 1;
    std::unordered_map<uint64_t, std::function<void(const CurlNote&)>> listeners;
    std::unordered_map<uint64_t, FtpStreamPrivate*> streams;
    std::deque<QueuedEvent> events;
    std::vector<uint64_t> releases; // uploads to resume at the end of the pass
    bool deliveryScheduled = false;
    bool shuttingDown = false;
    bool quitting = false;
    static int holds;

    // Between the threads, under the lock.
    std::mutex lock;
    std::vector<Command> commands;
    std::deque<CurlNote> notes;
    bool stopping = false;
    std::set<curl_socket_t> sockets; // every socket libcurl opened and has not closed

    // Curl thread only.
    CURLM* multi = nullptr;
    std::unordered_map<uint64_t, std::shared_ptr<CurlTransfer>> running;
    std::thread thread;

    Q_DISABLE_COPY_MOVE(CurlMulti)
};
