#include "platform/ftp/CurlMulti.h"

#include <poll.h>
#include <vector>

#include <QCoreApplication>
#include <QSocketNotifier>

#include "platform/ftp/CurlOptions.h"
#include "platform/ftp/FtpStreamPrivate.h"

namespace {

CurlMulti* theDriver = nullptr;

// Events handed to delegates in one go before the loop gets a turn again.
constexpr int kDeliveryBatch = 64;

} // namespace

int CurlMulti::holds = 0;

CurlMulti& CurlMulti::instance()
{
    if (!theDriver)
        theDriver = new CurlMulti;
    return *theDriver;
}

CurlMulti* CurlMulti::existing()
{
    return theDriver;
}

CurlMulti::CurlMulti()
    : QObject(QCoreApplication::instance())
{
    CurlOptions::globalInit();
    multi = curl_multi_init();
    curl_multi_setopt(multi, CURLMOPT_SOCKETFUNCTION, &CurlMulti::socketCallback);
    curl_multi_setopt(multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(multi, CURLMOPT_TIMERFUNCTION, &CurlMulti::timerCallback);
    curl_multi_setopt(multi, CURLMOPT_TIMERDATA, this);

    curlTimer.setSingleShot(true);
    connect(&curlTimer, &QTimer::timeout, this, [this] {
        curlTimerDue.reset();
        act(CURL_SOCKET_TIMEOUT, 0);
    });
    connect(&watchdogTimer, &QTimer::timeout, this, &CurlMulti::watchdog);
}

CurlMulti::~CurlMulti()
{
    // Streams that outlive the application object lose their transfers here, silently.
    shuttingDown = true;
    for (auto& [id, stream] : streams)
        if (stream->transferActive())
            stream->transferFinished(CURLE_ABORTED_BY_CALLBACK);
    theDriver = nullptr;
    curl_multi_cleanup(multi);
}

uint64_t CurlMulti::registerStream(FtpStreamPrivate* stream)
{
    const uint64_t id = nextId++;
    streams.emplace(id, stream);
    return id;
}

void CurlMulti::unregisterStream(uint64_t id)
{
    streams.erase(id);
}

FtpStreamPrivate* CurlMulti::streamForHandle(CURL* easy) const
{
    // libcurl's own handles (the one that closes cached connections) carry no id.
    void* data = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_PRIVATE, &data) != CURLE_OK || !data)
        return nullptr;
    const auto it = streams.find(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(data)));
    return it == streams.end() ? nullptr : it->second;
}

void CurlMulti::addHandle(CURL* easy)
{
    curl_multi_add_handle(multi, easy);
    ++handles;
    if (!watchdogTimer.isActive())
        watchdogTimer.start(FtpStreamPrivate::kNudgeAfter);
}

void CurlMulti::removeHandle(CURL* easy)
{
    curl_multi_remove_handle(multi, easy);
    if (--handles == 0)
        watchdogTimer.stop();
}

int CurlMulti::socketCallback(CURL*, curl_socket_t fd, int what, void* self, void*)
{
    static_cast<CurlMulti*>(self)->watch(fd, what);
    return 0;
}

int CurlMulti::timerCallback(CURLM*, long timeoutMs, void* self)
{
    auto* driver = static_cast<CurlMulti*>(self);
    if (timeoutMs < 0) {
        driver->curlTimer.stop();
        driver->curlTimerDue.reset();
    } else {
        driver->curlTimer.start(static_cast<int>(timeoutMs));
        driver->curlTimerDue = Clock::now() + std::chrono::milliseconds(timeoutMs);
    }
    return 0;
}

void CurlMulti::watch(curl_socket_t fd, int what)
{
    // libcurl drops and adds a socket again on every pause: keep one notifier per socket and
    // direction for good and switch it on and off.
    auto it = watches.find(fd);
    if (it == watches.end()) {
        if (what == CURL_POLL_REMOVE)
            return;
        Watch created;
        created.read = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        created.write = new QSocketNotifier(fd, QSocketNotifier::Write, this);
        connect(created.read, &QSocketNotifier::activated, this,
                [this, fd] { act(fd, CURL_CSELECT_IN); });
        connect(created.write, &QSocketNotifier::activated, this,
                [this, fd] { act(fd, CURL_CSELECT_OUT); });
        it = watches.emplace(fd, created).first;
    }
    Watch& w = it->second;
    w.wanted = what == CURL_POLL_REMOVE ? 0 : what;
    w.read->setEnabled(w.wanted == CURL_POLL_IN || w.wanted == CURL_POLL_INOUT);
    w.write->setEnabled(w.wanted == CURL_POLL_OUT || w.wanted == CURL_POLL_INOUT);
}

void CurlMulti::act(curl_socket_t fd, int flags)
{
    int running = 0;
    curl_multi_socket_action(multi, fd, flags, &running);
    collectFinished();
}

void CurlMulti::collectFinished()
{
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        CURL* easy = message->easy_handle;
        const CURLcode result = message->data.result;
        if (FtpStreamPrivate* stream = streamForHandle(easy))
            stream->transferFinished(result);
        else
            removeHandle(easy);
    }
}

void CurlMulti::driveUntil(const std::function<bool()>& done, Clock::time_point deadline)
{
    std::vector<pollfd> polled;
    while (!done()) {
        const auto now = Clock::now();
        if (now >= deadline)
            break;
        auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        wait = std::min(wait, std::chrono::milliseconds(100));
        if (curlTimerDue)
            wait = std::clamp(
                std::chrono::duration_cast<std::chrono::milliseconds>(*curlTimerDue - now),
                std::chrono::milliseconds(0), wait);
        polled.clear();
        for (const auto& [fd, w] : watches) {
            if (!w.wanted)
                continue;
            short events = 0;
            if (w.wanted == CURL_POLL_IN || w.wanted == CURL_POLL_INOUT)
                events |= POLLIN;
            if (w.wanted == CURL_POLL_OUT || w.wanted == CURL_POLL_INOUT)
                events |= POLLOUT;
            polled.push_back(pollfd{fd, events, 0});
        }
        const int ready = ::poll(polled.data(), polled.size(), static_cast<int>(wait.count()));
        for (int i = 0; ready > 0 && i < static_cast<int>(polled.size()); ++i) {
            const short got = polled[i].revents;
            if (!got)
                continue;
            int flags = 0;
            if (got & (POLLIN | POLLHUP))
                flags |= CURL_CSELECT_IN;
            if (got & POLLOUT)
                flags |= CURL_CSELECT_OUT;
            if (got & (POLLERR | POLLNVAL))
                flags |= CURL_CSELECT_ERR;
            act(polled[i].fd, flags);
        }
        if (curlTimerDue && Clock::now() >= *curlTimerDue) {
            curlTimerDue.reset();
            act(CURL_SOCKET_TIMEOUT, 0);
        }
        watchdog();
    }
}

void CurlMulti::post(uint64_t id, NSStreamEvent event)
{
    if (shuttingDown)
        return;
    events.push_back(QueuedEvent{id, event});
    scheduleDelivery();
}

void CurlMulti::postFirst(uint64_t id, const std::vector<NSStreamEvent>& parked)
{
    if (shuttingDown)
        return;
    for (auto it = parked.rbegin(); it != parked.rend(); ++it)
        events.push_front(QueuedEvent{id, *it});
    scheduleDelivery();
}

void CurlMulti::scheduleDelivery()
{
    if (deliveryScheduled || holds > 0 || events.empty())
        return;
    deliveryScheduled = true;
    QMetaObject::invokeMethod(this, &CurlMulti::deliverEvents, Qt::QueuedConnection);
}

void CurlMulti::deliverEvents()
{
    deliveryScheduled = false;
    for (int n = 0; n < kDeliveryBatch && holds == 0 && !events.empty(); ++n) {
        const QueuedEvent next = events.front();
        events.pop_front();
        const auto it = streams.find(next.id);
        if (it == streams.end())
            continue;
        if (!it->second->deliverable()) {
            if (it->second->offTheLoop())
                it->second->park(next.event);
            continue;
        }
        // The delegate may close and destroy the stream in this call: nothing of it is
        // touched afterwards, and the next event looks its stream up afresh.
        FtpStream* stream = it->second->q;
        FtpStreamDelegate* delegate = it->second->delegate;
        delegate->streamHandleEvent(stream, next.event);
    }
    scheduleDelivery();
}

void CurlMulti::watchdog()
{
    const auto now = Clock::now();
    std::vector<FtpStreamPrivate*> active;
    for (const auto& [id, stream] : streams)
        if (stream->transferActive())
            active.push_back(stream);
    // A check only removes a handle or nudges it and queues events; no stream goes away meanwhile.
    for (FtpStreamPrivate* stream : active)
        stream->watch(now);
}

void CurlMulti::takeHold()
{
    ++holds;
}

void CurlMulti::releaseHold()
{
    if (holds > 0)
        --holds;
    if (holds == 0 && theDriver)
        theDriver->scheduleDelivery();
}
