#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QScopeGuard>

#include "platform/TrustedHostKeys.h"
#include "platform/ftp/SshTransfer.h"

namespace SshDetail {

SshTransfer::~SshTransfer()
{
    engine.setSocket(run, -1);
    SshEngine::Connection connection{login, socket, session, sftp, security, {}};
    if (reusable && !engine.quitting())
        engine.keepConnection(std::move(connection));
    else
        closeSshConnection(connection);
}

QByteArray SshTransfer::user() const
{
    return t.properties.count(FtpStreamProperty::kCFStreamPropertyFTPUserName)
               ? propertyText(t.properties, FtpStreamProperty::kCFStreamPropertyFTPUserName)
                     .toUtf8()
               : target.userName();
}

QByteArray SshTransfer::password() const
{
    return t.properties.count(FtpStreamProperty::kCFStreamPropertyFTPUserName)
               ? propertyText(t.properties, FtpStreamProperty::kCFStreamPropertyFTPPassword)
                     .toUtf8()
               : target.password();
}

bool SshTransfer::go()
{
    if (stopped())
        return true;
    login = sshLogin(t);
    // A connection prepared for this login is waited for rather than made twice.
    if (!run.prepareOnly)
        engine.awaitPrepared(login, [this] { return stopped(); });
    if (std::optional<SshEngine::Connection> kept = engine.takeConnection(login)) {
        socket = kept->socket;
        session = kept->session;
        sftp = kept->sftp;
        security = kept->security;
        engine.setSocket(run, socket);
        reused = true;
        if (transfer() || stopped())
            return true;
        engine.setSocket(run, -1);
        SshEngine::Connection closed{login, socket, session, sftp, security, {}};
        closeSshConnection(closed);
        socket = -1;
        session = nullptr;
        sftp = nullptr;
        security = {};
        reused = false;
    }
    Step step = connectSocket();
    if (step == Step::Ok)
        step = handshake();
    if (step == Step::Ok)
        step = verifyHost();
    // A connection prepared ahead is never handed over: the transfer to come asks the user.
    if (step == Step::HandOver)
        return run.prepareOnly;
    if (step == Step::Failed || !logIn())
        return true;
    engine.due(run, CurlOptions::timeouts().response, timedOut(QStringLiteral("No SFTP answer")));
    sftp = sftp_new(session);
    if (!sftp || sftp_init(sftp) != SSH_OK) {
        fail(CurlOptions::localError(CURLE_SSH,
                                     QStringLiteral("The server offers no SFTP: %1")
                                         .arg(QString::fromUtf8(ssh_get_error(session)))));
        return true;
    }
    if (run.prepareOnly) {
        reusable = true;
        return true;
    }
    return transfer();
}

// False: the kept connection was closed and the transfer is to start again.
bool SshTransfer::transfer()
{
    if (t.kind == CurlTransfer::Kind::Download)
        download();
    else if (t.kind == CurlTransfer::Kind::Listing)
        list();
    else if (t.kind == CurlTransfer::Kind::Upload)
        upload();
    else
        change();
    return !retryAfresh;
}

// A server that refuses the connection or cannot be found fails the same on the curl path, in
// its words; one that does not answer in time fails here, rather than twice.
SshTransfer::Step SshTransfer::connectSocket()
{
    if (CurlOptions::hasAnyProxyProperty(t.properties))
        return connectThroughProxy();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const QByteArray port = QByteArray::number(t.url.port(22));
    if (::getaddrinfo(t.url.host(QUrl::FullyEncoded).toUtf8().constData(), port.constData(), &hints,
                      &found) != 0)
        return Step::HandOver;
    const auto limit = CurlOptions::timeouts().connect;
    const Clock::time_point until = Clock::now() + limit;
    bool late = false;
    for (addrinfo* address = found; address && socket < 0 && !late && !stopped();
         address = address->ai_next) {
        const int fd = ::socket(address->ai_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            continue;
        int problem = ::connect(fd, address->ai_addr, address->ai_addrlen) == 0 ? 0 : errno;
        // Waited for in slices, so that a stop is seen.
        while (problem == EINPROGRESS && !stopped()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
            if (left.count() <= 0) {
                late = true;
                break;
            }
            pollfd wait{fd, POLLOUT, 0};
            if (::poll(&wait, 1, static_cast<int>(std::min<int64_t>(left.count(), 100))) > 0) {
                socklen_t length = sizeof problem;
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &problem, &length);
            }
        }
        if (problem == 0) {
            socket = fd;
        } else {
            ::close(fd);
        }
    }
    ::freeaddrinfo(found);
    if (socket < 0) {
        if (late)
            fail(timedOut(
                QStringLiteral("Connection timed out after %1 milliseconds").arg(limit.count())));
        return late || stopped() ? Step::Failed : Step::HandOver;
    }
    return connected();
}

SshTransfer::Step SshTransfer::connected()
{
    ::fcntl(socket, F_SETFL, ::fcntl(socket, F_GETFL) & ~O_NONBLOCK);
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    engine.setSocket(run, socket);
    return Step::Ok;
}

// libcurl opens the way through the proxy (an HTTP CONNECT tunnel or SOCKS) and stops there; a
// copy of its socket carries the SSH connection. A proxy it cannot pass fails on the curl path,
// in its words.
SshTransfer::Step SshTransfer::connectThroughProxy()
{
    CURL* easy = curl_easy_init();
    if (!easy)
        return Step::HandOver;
    const auto cleanUp = qScopeGuard([easy] { curl_easy_cleanup(easy); });
    QUrl tunnelTo;
    tunnelTo.setScheme(QStringLiteral("http"));
    tunnelTo.setHost(t.url.host());
    tunnelTo.setPort(t.url.port(22));
    const QByteArray url = tunnelTo.toEncoded();
    curl_easy_setopt(easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(easy, CURLOPT_CONNECT_ONLY, 1L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(CurlOptions::timeouts().connect.count()));
    // Called at least once a second: a stop ends the wait.
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(
        easy, CURLOPT_XFERINFOFUNCTION,
        +[](void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
            return static_cast<SshTransfer*>(self)->stopped() ? 1 : 0;
        });
    if (CurlOptions::applyProxy(easy, t.properties) || curl_easy_perform(easy) != CURLE_OK)
        return stopped() ? Step::Failed : Step::HandOver;
    curl_socket_t opened = CURL_SOCKET_BAD;
    if (curl_easy_getinfo(easy, CURLINFO_ACTIVESOCKET, &opened) != CURLE_OK ||
        opened == CURL_SOCKET_BAD || (socket = ::fcntl(opened, F_DUPFD_CLOEXEC, 0)) < 0)
        return Step::HandOver;
    return connected();
}

// Up to the server's host key: the known_hosts files as the curl path reads them (only the
// user's own), on a copy of the socket that libssh closes itself.
SshTransfer::Step SshTransfer::handshake()
{
    session = ssh_new();
    if (!session)
        return Step::HandOver;
    const bool no = false;
    ssh_options_set(session, SSH_OPTIONS_PROCESS_CONFIG, &no);
    ssh_options_set(session, SSH_OPTIONS_HOST, t.url.host().toUtf8().constData());
    const unsigned port = static_cast<unsigned>(t.url.port(22));
    ssh_options_set(session, SSH_OPTIONS_PORT, &port);
    ssh_options_set(session, SSH_OPTIONS_USER, user().constData());
    ssh_options_set(session, SSH_OPTIONS_KNOWNHOSTS, t.sshTrust.knownHostsFile.constData());
    ssh_options_set(session, SSH_OPTIONS_GLOBAL_KNOWNHOSTS, "/dev/null");
    // With no known_hosts entry, the key the user trusted is the one to be offered.
    if (t.sshTrust.trustedKey && ssh_session_has_known_hosts_entry(session) != SSH_KNOWN_HOSTS_OK) {
        QByteArray type = TrustedHostKeys::keyType(*t.sshTrust.trustedKey).toUtf8();
        if (type == "ssh-rsa")
            type = "rsa-sha2-512,rsa-sha2-256,ssh-rsa";
        ssh_options_set(session, SSH_OPTIONS_HOSTKEYS, type.constData());
    }
    // With the CPU's AES instructions AES-GCM costs both ends less than libssh's first choice,
    // ChaCha20-Poly1305 (here about a third less CPU per GiB at the server, up to a quarter less
    // at the client); libssh's other ciphers stay as fall-backs.
#if defined(__x86_64__) || defined(__i386__)
    if (__builtin_cpu_supports("aes") && __builtin_cpu_supports("pclmul")) {
        const char* ciphers = "aes128-gcm@openssh.com,aes256-gcm@openssh.com,"
                              "chacha20-poly1305@openssh.com,aes256-ctr,aes192-ctr,aes128-ctr";
        ssh_options_set(session, SSH_OPTIONS_CIPHERS_C_S, ciphers);
        ssh_options_set(session, SSH_OPTIONS_CIPHERS_S_C, ciphers);
    }
#endif
    const long seconds = std::max<long>(1, CurlOptions::timeouts().response.count() / 1000);
    ssh_options_set(session, SSH_OPTIONS_TIMEOUT, &seconds);
    socket_t copy = ::fcntl(socket, F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        return Step::HandOver;
    ssh_options_set(session, SSH_OPTIONS_FD, &copy);
    engine.due(run, CurlOptions::timeouts().response, timedOut(QStringLiteral("No SSH greeting")));
    if (ssh_connect(session) == SSH_OK)
        return Step::Ok;
    if (stopped())
        return Step::Failed;
    // A server that never began SSH, silent or speaking another protocol, says so as on the curl
    // path; any other failure of the handshake (no algorithm in common) gets libssh2's try.
    if (!ssh_get_serverbanner(session)) {
        const CURLcode code = engine.expired(run, nullptr) ? CURLE_OPERATION_TIMEDOUT : CURLE_SSH;
        finish(code, CurlOptions::localError(
                         code, QStringLiteral("%1 is not an SSH server: it did not begin SSH")
                                   .arg(t.url.host() + QLatin1Char(':') + QString::number(port))));
        return Step::Failed;
    }
    return Step::HandOver;
}

// The key must be the one known_hosts or the user's own trust names; anything else is for the
// curl path to report (and the window to ask about), before any password or key is sent.
SshTransfer::Step SshTransfer::verifyHost()
{
    ssh_key key = nullptr;
    char* text = nullptr;
    if (ssh_get_server_publickey(session, &key) != SSH_OK ||
        ssh_pki_export_pubkey_base64(key, &text) != SSH_OK) {
        ssh_key_free(key);
        return Step::HandOver;
    }
    const QByteArray blob = QByteArray::fromBase64(text);
    ssh_string_free_char(text);
    ssh_key_free(key);
    security.protocol = QStringLiteral("SSH");
    security.hostPort = t.sshTrust.hostEntry;
    security.hostKey = HostKeyDetails{TrustedHostKeys::keyType(blob),
                                      TrustedHostKeys::fingerprint(blob), blob, QString()};
    if (ssh_session_is_known_server(session) == SSH_KNOWN_HOSTS_OK)
        security.state = ConnectionSecurity::State::SshKnown;
    else if (t.sshTrust.trustedKey == blob)
        security.state = ConnectionSecurity::State::SshTrustedByUser;
    else
        return Step::HandOver;
    return Step::Ok;
}

// As the curl path logs in: the key file, the password, then the user's ssh-agent.
bool SshTransfer::logIn()
{
    engine.due(run, CurlOptions::timeouts().response, timedOut(QStringLiteral("No log-in answer")));
    int answer = SSH_AUTH_DENIED;
    const QString keyFile = propertyText(t.properties, FtpStreamProperty::SshPrivateKeyFile);
    if (!keyFile.isEmpty()) {
        const QByteArray passphrase =
            propertyText(t.properties, FtpStreamProperty::SshKeyPassphrase).toUtf8();
        ssh_key key = nullptr;
        // A key that does not open with the passphrase given is not offered.
        if (ssh_pki_import_privkey_file(QFile::encodeName(keyFile).constData(),
                                        passphrase.isEmpty() ? nullptr : passphrase.constData(),
                                        nullptr, nullptr, &key) == SSH_OK)
            answer = ssh_userauth_publickey(session, nullptr, key);
        ssh_key_free(key);
    }
    QByteArray password = target.password();
    if (t.properties.count(FtpStreamProperty::kCFStreamPropertyFTPUserName))
        password =
            propertyText(t.properties, FtpStreamProperty::kCFStreamPropertyFTPPassword).toUtf8();
    if (answer == SSH_AUTH_DENIED && !password.isEmpty())
        answer = ssh_userauth_password(session, nullptr, password.constData());
    if (answer == SSH_AUTH_DENIED && !qEnvironmentVariableIsEmpty("SSH_AUTH_SOCK"))
        answer = ssh_userauth_agent(session, nullptr);
    if (answer == SSH_AUTH_SUCCESS)
        return true;
    if (answer == SSH_AUTH_DENIED || answer == SSH_AUTH_PARTIAL)
        fail(CurlOptions::sshLoginRefused(t.properties, t.url));
    else
        fail(CurlOptions::localError(CURLE_SSH,
                                     QStringLiteral("The log-in failed: %1")
                                         .arg(QString::fromUtf8(ssh_get_error(session)))));
    return false;
}

} // namespace SshDetail

void closeSshConnection(SshEngine::Connection& connection)
{
    if (connection.sftp)
        sftp_free(connection.sftp);
    if (connection.session) {
        ssh_disconnect(connection.session);
        ssh_free(connection.session);
    }
    if (connection.socket >= 0)
        ::close(connection.socket);
    connection = {};
}

QByteArray sshLogin(const CurlTransfer& t)
{
    using SshDetail::propertyText;
    const FtpTarget target(t.url);
    const bool userGiven = t.properties.count(FtpStreamProperty::kCFStreamPropertyFTPUserName);
    QByteArrayList parts{
        t.url.host().toUtf8(),
        QByteArray::number(t.url.port(22)),
        userGiven
            ? propertyText(t.properties, FtpStreamProperty::kCFStreamPropertyFTPUserName).toUtf8()
            : target.userName(),
        userGiven
            ? propertyText(t.properties, FtpStreamProperty::kCFStreamPropertyFTPPassword).toUtf8()
            : target.password(),
        propertyText(t.properties, FtpStreamProperty::SshPrivateKeyFile).toUtf8(),
        propertyText(t.properties, FtpStreamProperty::SshKeyPassphrase).toUtf8(),
        t.sshTrust.knownHostsFile,
        t.sshTrust.trustedKey.value_or(QByteArray())};
    for (FtpStreamProperty key : {FtpStreamProperty::kCFStreamPropertyFTPProxyHost,
                                  FtpStreamProperty::kCFStreamPropertyFTPProxyPort,
                                  FtpStreamProperty::kCFStreamPropertyFTPProxyUser,
                                  FtpStreamProperty::kCFStreamPropertyFTPProxyPassword})
        parts.append(propertyText(t.properties, key).toUtf8());
    return parts.join('\0');
}

void runSshTransfer(SshEngine& engine, SshEngine::Run& run)
{
    bool ran = false;
    {
        SshDetail::SshTransfer transfer(engine, run);
        ran = transfer.go();
    }
    if (!ran && !run.transfer->stopRequested && !run.prepareOnly)
        engine.handToCurl(run.transfer);
}
