#include "platform/ftp/SshEngine.h"

#include <algorithm>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <vector>

#include <QFile>

#include "platform/SshKeyFile.h"
#include "platform/ftp/CurlEngine.h"
#include "platform/ftp/CurlOptions.h"
#include "platform/ftp/FtpTarget.h"
#include "platform/ftp/SshTransfer.h"

using SshDetail::propertyText;

namespace {

// How often the watchdog looks at the deadlines while transfers run or connections wait.
constexpr auto kWatchEvery = std::chrono::milliseconds(100);
// How long an idle connection is kept, and how many are.
constexpr auto kIdleKept = std::chrono::seconds(60);
constexpr size_t kIdleMost = 8;

} // namespace

SshEngine::SshEngine(CurlEngine& curl)
    : curl(curl)
{}

SshEngine::~SshEngine()
{
    shutDown();
}

bool SshEngine::covers(const CurlTransfer& t)
{
    if (t.protocol != Protocol::SFTP || t.sizeOnly || t.existenceAsked)
        return false;
    const FtpTarget target(t.url);
    const QByteArray user =
        t.properties.count(FtpStreamProperty::kCFStreamPropertyFTPUserName)
            ? propertyText(t.properties, FtpStreamProperty::kCFStreamPropertyFTPUserName).toUtf8()
            : target.userName();
    if (!target.isValid() || user.isEmpty() || !FtpTarget::isCommandSafe(user))
        return false;
    // A key file libssh cannot use as it stands fails on the curl path with its reason.
    const QString keyFile = propertyText(t.properties, FtpStreamProperty::SshPrivateKeyFile);
    if (keyFile.isEmpty())
        return true;
    QFile key(keyFile);
    if (!key.open(QIODevice::ReadOnly) || !key.read(64 * 1024).contains("PRIVATE KEY-----"))
        return false;
    return !propertyText(t.properties, FtpStreamProperty::SshKeyPassphrase).isEmpty() ||
           !SshKeyFile::needsPassphrase(keyFile);
}

void SshEngine::start(const std::shared_ptr<CurlTransfer>& transfer)
{
    launch(transfer, {});
}

void SshEngine::prepare(const std::shared_ptr<CurlTransfer>& transfer)
{
    launch(transfer, sshLogin(*transfer));
}

void SshEngine::launch(const std::shared_ptr<CurlTransfer>& transfer, const QByteArray& login)
{
    reap();
    std::lock_guard guard(lock);
    if (quit)
        return;
    if (!watchdog.joinable()) {
        watchdog = std::thread([this] { watch(); });
        pthread_setname_np(watchdog.native_handle(), "tandrel-sshwatch");
    }
    auto run = std::make_unique<Run>();
    run->transfer = transfer;
    run->prepareOnly = !login.isEmpty();
    if (run->prepareOnly)
        preparing.push_back(login);
    Run& started = *run;
    runs[transfer->id] = std::move(run);
    started.thread = std::thread([this, &started, login] {
        runSshTransfer(*this, started);
        std::lock_guard finished(lock);
        started.finished = true;
        // The connection is kept by now, if it was made.
        if (const auto it = std::find(preparing.begin(), preparing.end(), login);
            started.prepareOnly && it != preparing.end()) {
            preparing.erase(it);
            prepared.notify_all();
        }
    });
    pthread_setname_np(started.thread.native_handle(), "tandrel-ssh");
    watching.notify_all();
}

void SshEngine::wake(uint64_t id)
{
    std::lock_guard guard(lock);
    if (const auto it = runs.find(id); it != runs.end())
        it->second->woken.notify_all();
}

void SshEngine::stop(uint64_t id)
{
    std::lock_guard guard(lock);
    const auto it = runs.find(id);
    if (it == runs.end())
        return;
    Run& run = *it->second;
    if (run.transfer->kind != CurlTransfer::Kind::Upload) {
        if (run.socket >= 0)
            ::shutdown(run.socket, SHUT_RDWR);
    } else {
        run.deadline = std::min(run.deadline, Clock::now() + CurlOptions::timeouts().finish);
    }
    run.woken.notify_all();
}

void SshEngine::shutDown()
{
    {
        std::lock_guard guard(lock);
        quit = true;
        for (auto& [id, run] : runs) {
            if (run->socket >= 0)
                ::shutdown(run->socket, SHUT_RDWR);
            run->woken.notify_all();
        }
        watching.notify_all();
        prepared.notify_all();
    }
    // Each thread sees quit at its next step, and its socket is shut down.
    for (auto& [id, run] : runs)
        if (run->thread.joinable())
            run->thread.join();
    if (watchdog.joinable())
        watchdog.join();
    runs.clear();
    for (Connection& connection : expiredConnections(Clock::time_point::max()))
        closeSshConnection(connection);
}

void SshEngine::awaitPrepared(const QByteArray& login, const std::function<bool()>& stopped)
{
    std::unique_lock guard(lock);
    while (!quit && !stopped() &&
           std::find(preparing.begin(), preparing.end(), login) != preparing.end())
        prepared.wait_for(guard, kWatchEvery);
}

std::optional<SshEngine::Connection> SshEngine::takeConnection(const QByteArray& login)
{
    for (;;) {
        std::optional<Connection> taken;
        {
            std::lock_guard guard(lock);
            const auto it = std::find_if(idle.begin(), idle.end(),
                                         [&](const Connection& c) { return c.login == login; });
            if (it == idle.end())
                return std::nullopt;
            taken = std::move(*it);
            idle.erase(it);
        }
        // An idle connection has nothing to read: one that has was closed by the server (or
        // holds a message this side would not follow).
        pollfd ready{taken->socket, POLLIN, 0};
        if (::poll(&ready, 1, 0) == 0)
            return taken;
        closeSshConnection(*taken);
    }
}

void SshEngine::keepConnection(Connection connection)
{
    connection.idleSince = Clock::now();
    std::optional<Connection> dropped;
    {
        std::lock_guard guard(lock);
        if (!quit) {
            idle.push_back(std::move(connection));
            if (idle.size() > kIdleMost) {
                dropped = std::move(idle.front());
                idle.erase(idle.begin());
            }
            watching.notify_all();
        } else {
            dropped = std::move(connection);
        }
    }
    if (dropped)
        closeSshConnection(*dropped);
}

std::vector<SshEngine::Connection> SshEngine::expiredConnections(Clock::time_point before)
{
    std::lock_guard guard(lock);
    std::vector<Connection> expired;
    for (auto it = idle.begin(); it != idle.end();) {
        if (before == Clock::time_point::max() || it->idleSince < before) {
            expired.push_back(std::move(*it));
            it = idle.erase(it);
        } else {
            ++it;
        }
    }
    return expired;
}

void SshEngine::reap()
{
    std::vector<std::unique_ptr<Run>> ended;
    {
        std::lock_guard guard(lock);
        for (auto it = runs.begin(); it != runs.end();) {
            if (it->second->finished) {
                ended.push_back(std::move(it->second));
                it = runs.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& run : ended)
        run->thread.join();
}

void SshEngine::watch()
{
    std::unique_lock guard(lock);
    while (!quit) {
        const Clock::time_point now = Clock::now();
        if (std::any_of(idle.begin(), idle.end(),
                        [&](const Connection& c) { return now - c.idleSince >= kIdleKept; })) {
            guard.unlock();
            for (Connection& connection : expiredConnections(now - kIdleKept))
                closeSshConnection(connection);
            guard.lock();
            continue;
        }
        bool running = !idle.empty();
        for (auto& [id, run] : runs) {
            running = running || !run->finished;
            if (!run->expired && now >= run->deadline && run->socket >= 0) {
                run->expired = true;
                ::shutdown(run->socket, SHUT_RDWR);
                run->woken.notify_all();
            }
        }
        if (running)
            watching.wait_for(guard, kWatchEvery);
        else
            watching.wait(guard);
    }
}

void SshEngine::note(CurlNote next)
{
    curl.post(std::move(next));
}

void SshEngine::handToCurl(const std::shared_ptr<CurlTransfer>& transfer)
{
    if (!quit)
        curl.start(transfer);
}

void SshEngine::due(Run& run, std::chrono::milliseconds within, const StreamError& why)
{
    std::lock_guard guard(lock);
    run.deadline = Clock::now() + within;
    run.expiry = why;
}

void SshEngine::noDeadline(Run& run)
{
    std::lock_guard guard(lock);
    run.deadline = Clock::time_point::max();
}

void SshEngine::setSocket(Run& run, int socket)
{
    std::lock_guard guard(lock);
    run.socket = socket;
    if (quit && socket >= 0)
        ::shutdown(socket, SHUT_RDWR);
}

bool SshEngine::expired(Run& run, StreamError* why)
{
    std::lock_guard guard(lock);
    if (run.expired && why)
        *why = run.expiry;
    return run.expired;
}
