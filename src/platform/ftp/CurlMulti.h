#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include <QObject>

#include "platform/ftp/CurlTransfer.h"
#include "platform/ftp/FtpStream.h"

class CurlEngine;
class SshEngine;
class FtpStreamPrivate;

// The main thread's side of the transfers: it owns the curl thread (CurlEngine), hands it
// commands, and is the queue through which what happens reaches its listeners on the main
// thread. The curl thread's CurlNotes are posted to this object and handed out in order to
// whoever listens under the transfer's id; stream events are queued under the stream's id as
// well, never a pointer, so an event for a stream that is gone is dropped.
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

    // Commands for the curl thread. A stopped transfer says nothing more. start() hands over
    // with the transfer what its TLS needs of this thread's state (TlsPolicy::Trust).
    void start(const std::shared_ptr<CurlTransfer>& transfer);
    // Logs in ahead for a stream to come on url with properties, where libssh runs such streams
    // (SshEngine::prepare); nothing otherwise.
    void prepare(const QUrl& url, const FtpStreamProperties& properties);
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
    // answer the caller needs before it goes on is awaited. Answers done(). Its callers mark
    // the call as BLOCKING, with the longest it may take.
    bool waitFor(const std::function<bool()>& done, Clock::time_point deadline);

    // The modal hold: while held, no delegate call is made.
    static void takeHold();
    static void releaseHold();

signals:
    void notesHandled();

private:
    struct QueuedEvent
    {
        uint64_t id;
        NSStreamEvent event;
    };

    CurlMulti();
    // Ends the curl thread and waits for it: at the destruction, or at exit() before it.
    void stopThread();
    static void stopAtExit();
    void deliverNotes();
    static void takeSshTrust(CurlTransfer& transfer);
    void scheduleDelivery();
    void deliverEvents();

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
    std::unique_ptr<CurlEngine> engine; // the curl thread
    std::unique_ptr<SshEngine> ssh;     // SFTP downloads, uploads and listings through libssh

    Q_DISABLE_COPY_MOVE(CurlMulti)
};
