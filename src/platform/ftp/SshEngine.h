#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/ftp/CurlTransfer.h"

class CurlEngine;
struct ssh_session_struct;
struct sftp_session_struct;

// SFTP file transfers, listings and changes (new folders, removals, renames) through libssh,
// beside the curl thread: libssh keeps many reads in flight and negotiates faster ciphers than
// libcurl's libssh2, and a change goes on a kept connection. Each transfer runs on a thread of
// its own with blocking libssh calls; it fills the same buffer as a curl transfer and posts the
// same notes through the curl thread's queue, so that its stream sees no difference. A transfer it
// does not cover, or whose host key it cannot vouch for, goes to the curl thread unchanged (which
// then asks the user, or fails, as it always did).
//
// A blocking call ends when its socket is shut down: a stop, a time-out (a watchdog thread checks
// each transfer's deadline) or the shut-down does that, so that nothing waits on a silent server
// for longer than the time-outs allow.
class SshEngine final
{
public:
    using Clock = std::chrono::steady_clock;

    explicit SshEngine(CurlEngine& curl);
    ~SshEngine();

    // Whether libssh runs the transfer: an SFTP download, upload, listing, new folder, removal or
    // rename with a login user and a key file libssh can use as it stands. Main thread.
    static bool covers(const CurlTransfer& transfer);

    void start(const std::shared_ptr<CurlTransfer>& transfer);
    // Connects and logs in ahead for a transfer like this one, to come while the window is built:
    // the connection is kept as after a transfer, and a transfer with the same login that starts
    // meanwhile waits for it. A host whose key is neither known nor trusted gets no secret, and
    // nothing is told either way. Main thread.
    void prepare(const std::shared_ptr<CurlTransfer>& transfer);
    // The owner made room in a download's buffer or put bytes in an upload's.
    void wake(uint64_t id);
    // The owner let go: a download's or listing's connection is cut at once; an upload first
    // removes the temporary file it wrote, within the finish time-out.
    void stop(uint64_t id);
    // Ends every transfer at once and waits for their threads.
    void shutDown();

    // What a transfer's thread shares with the engine (SshTransfer.cpp).
    struct Run
    {
        std::shared_ptr<CurlTransfer> transfer;
        std::thread thread;
        // Signalled when the owner wakes or stops the transfer; waited on under the transfer's
        // mutex.
        std::condition_variable woken;
        // Under the engine's lock.
        int socket = -1;
        Clock::time_point deadline = Clock::time_point::max();
        StreamError expiry; // the failure once the deadline passed
        bool expired = false;
        bool finished = false;
        bool prepareOnly = false; // connects and logs in, and keeps the connection
    };

    // A logged-in connection, kept a while for the next transfer with the same login, as libcurl
    // keeps its connections: a queue of small files then logs in once.
    struct Connection
    {
        QByteArray login; // host, port, user, secrets and trust it was made with
        int socket = -1;
        ssh_session_struct* session = nullptr;
        sftp_session_struct* sftp = nullptr;
        ConnectionSecurity security;
        Clock::time_point idleSince;
    };
    // An idle connection made with the login that the server has not closed, if any.
    std::optional<Connection> takeConnection(const QByteArray& login);
    // Waits while a connection with the login is prepared, or until stopped says so.
    void awaitPrepared(const QByteArray& login, const std::function<bool()>& stopped);
    void keepConnection(Connection connection);

    // For the transfers' threads.
    void note(CurlNote next);
    void handToCurl(const std::shared_ptr<CurlTransfer>& transfer);
    // The transfer fails with why unless it moves on within the time given.
    void due(Run& run, std::chrono::milliseconds within, const StreamError& why);
    void noDeadline(Run& run);
    // The connected socket a stop or time-out shuts down; -1 once closed.
    void setSocket(Run& run, int socket);
    bool expired(Run& run, StreamError* why);
    bool quitting() const { return quit; }

private:
    void launch(const std::shared_ptr<CurlTransfer>& transfer, const QByteArray& preparing);
    void watch();
    void reap();
    // Takes the connections idle since before the time out (all with Clock::time_point::max()).
    std::vector<Connection> expiredConnections(Clock::time_point before);

    CurlEngine& curl;
    std::mutex lock;
    std::condition_variable watching;
    std::unordered_map<uint64_t, std::unique_ptr<Run>> runs;
    std::vector<Connection> idle;
    std::vector<QByteArray> preparing; // the logins of connections being prepared
    std::condition_variable prepared;
    std::thread watchdog;
    std::atomic<bool> quit{false};

    Q_DISABLE_COPY_MOVE(SshEngine)
};

// Runs one transfer on its thread, closes a connection, and tells what a kept connection is found
// by: host, port, user, secrets, trust and proxy (SshConnect.cpp).
void runSshTransfer(SshEngine& engine, SshEngine::Run& run);
QByteArray sshLogin(const CurlTransfer& transfer);
void closeSshConnection(SshEngine::Connection& connection);
