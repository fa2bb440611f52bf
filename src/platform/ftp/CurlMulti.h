#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

#include <QObject>
#include <QTimer>

#include <curl/curl.h>

#include "platform/ftp/FtpStream.h"

class FtpStreamPrivate;
class QSocketNotifier;

// The one libcurl multi handle of the process, driven by the Qt main loop, and the queue
// through which stream events reach their delegates. Streams register under an id; queued
// events and each easy handle's CURLOPT_PRIVATE carry that id, never a pointer, so an event or
// a callback meant for a stream that is gone finds nothing and is dropped.
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

    uint64_t registerStream(FtpStreamPrivate* stream);
    void unregisterStream(uint64_t id);
    // The stream an easy handle belongs to, or none (a handle of libcurl's own, or a stream gone).
    FtpStreamPrivate* streamForHandle(CURL* easy) const;

    void addHandle(CURL* easy);
    void removeHandle(CURL* easy);

    // Queues an event; it reaches the delegate later, from the event loop.
    void post(uint64_t id, NSStreamEvent event);
    // Queues events ahead of all others: those a stream parked while it was off the loop.
    void postFirst(uint64_t id, const std::vector<NSStreamEvent>& events);

    /* BLOCKING */
    // Runs libcurl without the Qt loop until done() holds or the deadline passes: an upload's
    // close waits so for the server's verdict. Other transfers move on meanwhile; their events
    // are queued, none is delivered.
    void driveUntil(const std::function<bool()>& done, Clock::time_point deadline);

    // The modal hold: while held, no delegate call is made.
    static void takeHold();
    static void releaseHold();

    Q_DISABLE_COPY_MOVE(CurlMulti)

private:
    struct Watch
    {
        QSocketNotifier* read = nullptr;
        QSocketNotifier* write = nullptr;
        int wanted = 0; // CURL_POLL_*, 0 when libcurl does not want the socket
    };
    struct QueuedEvent
    {
        uint64_t id;
        NSStreamEvent event;
    };

    CurlMulti();
    static int socketCallback(CURL* easy, curl_socket_t fd, int what, void* self, void* socketData);
    static int timerCallback(CURLM* multi, long timeoutMs, void* self);
    void watch(curl_socket_t fd, int what);
    void act(curl_socket_t fd, int flags);
    void collectFinished();
    void scheduleDelivery();
    void deliverEvents();
    void watchdog();

    CURLM* multi = nullptr;
    std::unordered_map<curl_socket_t, Watch> watches;
    QTimer curlTimer;
    std::optional<Clock::time_point> curlTimerDue;
    QTimer watchdogTimer; // stall checks and nudges, while transfers run
    int handles = 0;

    uint64_t nextId = 1;
    std::unordered_map<uint64_t, FtpStreamPrivate*> streams;
    std::deque<QueuedEvent> events;
    bool deliveryScheduled = false;
    bool shuttingDown = false;
    static int holds;
};
