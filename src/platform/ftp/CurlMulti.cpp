#include "platform/ftp/CurlMulti.h"

#include <algorithm>
#include <cstdlib>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include "platform/TrustedHostKeys.h"
#include "platform/ftp/CurlEngine.h"
#include "platform/ftp/CurlOptions.h"
#include "platform/ftp/FtpStreamPrivate.h"
#include "platform/ftp/FtpTarget.h"
#include "platform/ftp/SshEngine.h"

namespace {

CurlMulti* theDriver = nullptr;

// Events handed to delegates in one go before the loop gets a turn again, and the longest such
// a pass may take: a listing's chunks take far longer each than a download's, and the window
// must repaint and take input meanwhile.
constexpr int kDeliveryBatch = 64;
constexpr auto kDeliveryTime = std::chrono::milliseconds(10);

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
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { quitting = true; });
    // exit() from anywhere (not only the return from main, which destroys the application and
    // this with it) runs the handlers registered since start-up first, and only then destroys
    // the statics made before them: the curl thread reads some (TLS captures, the options'
    // tables), so it ends before any of them goes. Registered after libcurl's and OpenSSL's
    // own clean-up, which then runs after it too.
    static const bool stopsAtExit = std::atexit(&CurlMulti::stopAtExit) == 0;
    Q_UNUSED(stopsAtExit);
    engine = std::make_unique<CurlEngine>([this] {
        QMetaObject::invokeMethod(this, &CurlMulti::deliverNotes, Qt::QueuedConnection);
    });
    ssh = std::make_unique<SshEngine>(*engine);
}

CurlMulti::~CurlMulti()
{
    stopThread();
    // Streams that outlive the application object lose their transfers here, silently.
    CurlNote lost;
    lost.kind = CurlNote::Kind::Finished;
    lost.result = CURLE_ABORTED_BY_CALLBACK;
    lost.error =
        CurlOptions::localError(CURLE_ABORTED_BY_CALLBACK, QStringLiteral("The application quit"));
    const auto left = listeners;
    for (const auto& [id, listener] : left) {
        lost.id = id;
        listener(lost);
    }
    theDriver = nullptr;
}

void CurlMulti::stopAtExit()
{
    if (theDriver)
        theDriver->stopThread();
}

void CurlMulti::stopThread()
{
    // The SSH transfers post their notes through the curl thread's queue: they end first.
    ssh->shutDown();
    // Once only: events posted from now on are dropped.
    if (engine->shutDown())
        shuttingDown = true;
}

void CurlMulti::listen(uint64_t id, std::function<void(const CurlNote&)> listener)
{
    listeners[id] = std::move(listener);
}

void CurlMulti::forget(uint64_t id)
{
    listeners.erase(id);
    streams.erase(id);
}

void CurlMulti::registerStream(uint64_t id, FtpStreamPrivate* stream)
{
    streams[id] = stream;
}

void CurlMulti::start(const std::shared_ptr<CurlTransfer>& transfer)
{
    if (transfer->protocol == Protocol::FTP) {
        transfer->trust = TlsPolicy::trustFor(FtpTarget(transfer->url).url(), transfer->encryption);
    } else {
        takeSshTrust(*transfer);
        if (SshEngine::covers(*transfer)) {
            this->ssh->start(transfer);
            return;
        }
    }
    engine->start(transfer);
}

void CurlMulti::prepare(const QUrl& url, const FtpStreamProperties& properties)
{
    auto transfer =
        std::make_shared<CurlTransfer>(newId(), CurlTransfer::Kind::Listing, url, properties);
    if (transfer->protocol != Protocol::SFTP)
        return;
    takeSshTrust(*transfer);
    if (SshEngine::covers(*transfer))
        ssh->prepare(transfer);
}

void CurlMulti::takeSshTrust(CurlTransfer& transfer)
{
    CurlTransfer::SshTrust& ssh = transfer.sshTrust;
    ssh.knownHostsFile = QFile::encodeName(TrustedHostKeys::sshKnownHostsPath());
    ssh.hostEntry = TrustedHostKeys::hostEntry(transfer.url.host(), transfer.url.port(22));
    ssh.trustedKey = TrustedHostKeys::trusted(ssh.hostEntry);
}

// A transfer the SSH engine handed to libcurl hears through either: each ignores ids it does not
// run.
void CurlMulti::resume(uint64_t id)
{
    engine->resume(id);
    ssh->wake(id);
}

void CurlMulti::stop(uint64_t id)
{
    engine->stop(id);
    ssh->stop(id);
}

void CurlMulti::releaseAfterPass(uint64_t id)
{
    if (std::find(releases.begin(), releases.end(), id) == releases.end())
        releases.push_back(id);
    scheduleDelivery();
}

// --- The main thread: notes from the curl thread, events to delegates ---

void CurlMulti::deliverNotes()
{
    for (const CurlNote& next : engine->takeNotes()) {
        // A listener may forget itself or others: look each one up afresh.
        const auto it = listeners.find(next.id);
        if (it != listeners.end())
            it->second(next);
    }
    emit notesHandled();
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
    const bool eventsDue = holds == 0 && !events.empty();
    if (deliveryScheduled || (!eventsDue && releases.empty()))
        return;
    deliveryScheduled = true;
    QMetaObject::invokeMethod(this, &CurlMulti::deliverEvents, Qt::QueuedConnection);
}

void CurlMulti::deliverEvents()
{
    deliveryScheduled = false;
    const Clock::time_point until = Clock::now() + kDeliveryTime;
    for (int n = 0;
         n < kDeliveryBatch && holds == 0 && !events.empty() && (n == 0 || Clock::now() < until);
         ++n) {
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
    for (const uint64_t id : std::exchange(releases, {})) {
        if (const auto it = streams.find(id); it != streams.end())
            it->second->releaseSend();
    }
    scheduleDelivery();
}

bool CurlMulti::waitFor(const std::function<bool()>& done, Clock::time_point deadline)
{
    // Notes already here are taken now. Their delivery may be posted behind the call that
    // waits, where the loop below does not reach it until something new is posted, and later
    // notes only join a delivery already posted: the answer waited for would sit behind it
    // until the deadline. With none left, the next note posts a delivery of its own.
    deliverNotes();
    if (done())
        return true;
    if (quitting || shuttingDown)
        return false;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &CurlMulti::notesHandled, &loop, [&] {
        if (done())
            loop.quit();
    });
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    limit.start(std::max<std::chrono::milliseconds>(left, std::chrono::milliseconds(0)));
    takeHold();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    releaseHold();
    return done();
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
