#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include "platform/ftp/CurlOptions.h"
#include "platform/ftp/FtpTarget.h"
#include "platform/ftp/SshEngine.h"

// One SFTP download, upload or listing over libssh, on the transfer's own thread, with blocking
// calls that the engine ends by shutting the socket down (a stop, a time-out, the shut-down). The
// connection and log-in are in SshConnect.cpp, the file's bytes in SshTransfer.cpp, a folder's
// lines in SshListing.cpp.

namespace SshDetail {

using Clock = SshEngine::Clock;

// Reads in flight and their size, as OpenSSH's sftp keeps them: a loopback GiB then takes about
// as long as `sftp` itself.
constexpr size_t kReadsInFlight = 64;
constexpr uint32_t kReadChunk = 32 * 1024;
// libssh 0.10 waits for each write's answer before the next: few large writes, just under the
// 256 KiB OpenSSH's server takes in one message.
constexpr int64_t kWriteChunk = 240 * 1024;
// The longest a paused transfer sleeps before it looks again whether it was stopped.
constexpr auto kPausedLook = std::chrono::milliseconds(500);

inline int64_t resumeOffset(const FtpStreamProperties& properties)
{
    const auto it = properties.find(FtpStreamProperty::FileTransferOffset);
    return it == properties.end() ? 0 : std::max<int64_t>(0, it->second.toLongLong());
}

inline QString propertyText(const FtpStreamProperties& properties, FtpStreamProperty key)
{
    const auto it = properties.find(key);
    return it == properties.end() ? QString() : it->second.toString();
}

inline StreamError timedOut(const QString& what)
{
    return CurlOptions::localError(CURLE_OPERATION_TIMEDOUT, what);
}

class SshTransfer final
{
public:
    SshTransfer(SshEngine& engine, SshEngine::Run& run)
        : engine(engine)
        , run(run)
        , t(*run.transfer)
        , target(t.url)
        , stall(timedOut(
              QStringLiteral("No data moved for %1 ms").arg(CurlOptions::timeouts().stall.count())))
    {}
    ~SshTransfer();

    // False: the transfer is one for the curl path after all, untouched.
    bool go();

    Q_DISABLE_COPY_MOVE(SshTransfer)

private:
    enum class Step
    {
        Ok,
        Failed,   // finished with an error note
        HandOver, // libcurl runs it
    };

    bool stopped() const { return t.stopRequested || engine.quitting(); }
    QByteArray user() const;
    QByteArray password() const;
    bool transfer();
    Step connectSocket();
    Step connectThroughProxy();
    Step connected();
    Step handshake();
    Step verifyHost();
    bool logIn();
    void download();
    void upload();
    void list();
    void change();
    bool holdsEntries(const QByteArray& folder);
    bool keptConnectionClosed();
    bool deliver(const char* data, int64_t length);
    void tellUntold();
    QByteArray remotePath(const QByteArray& path) const;
    StreamError sftpError(const QString& what) const;
    void note(CurlNote::Kind kind, CurlNote next = {});
    void fail(StreamError error);
    void finish(CURLcode result, const StreamError& error = {});

    SshEngine& engine;
    SshEngine::Run& run;
    CurlTransfer& t;
    const FtpTarget target;
    const StreamError stall;
    int socket = -1;
    ssh_session session = nullptr;
    sftp_session sftp = nullptr;
    ConnectionSecurity security;
    bool securityTold = false;
    QByteArray login;         // what a kept connection is found by
    bool reusable = false;    // the transfer succeeded: its connection may be kept
    bool reused = false;      // the connection was kept from an earlier transfer
    bool retryAfresh = false; // ... and found closed before anything was told
};

} // namespace SshDetail
