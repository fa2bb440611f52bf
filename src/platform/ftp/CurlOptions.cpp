#include "platform/ftp/CurlOptions.h"

#include <atomic>
#include <cmath>

#include <QFile>

#include "platform/Log.h"
#include "platform/SshKeyFile.h"
#include "platform/ftp/FtpTarget.h"

namespace CurlOptions {

namespace {

// The proxy kinds libcurl is given. Made before main, so that exit() destroys it only after the
// curl thread has ended.
const QStringList kProxySchemes = {QStringLiteral("http"), QStringLiteral("socks4"),
                                   QStringLiteral("socks4a"), QStringLiteral("socks5"),
                                   QStringLiteral("socks5h")};

// Set on the main thread, read on the curl thread too.
std::atomic<double>& scaleValue()
{
    static std::atomic<double> scale = [] {
        bool ok = false;
        const double fromEnvironment =
            qEnvironmentVariable("TANDREL_FTP_TIMEOUT_SCALE").toDouble(&ok);
        return ok && fromEnvironment > 0 ? fromEnvironment : 1.0;
    }();
    return scale;
}

std::chrono::milliseconds scaled(int seconds)
{
    return std::chrono::milliseconds(
        std::max<int64_t>(1, std::llround(seconds * 1000 * scaleValue())));
}

QVariant property(const FtpStreamProperties& properties, FtpStreamProperty key)
{
    const auto it = properties.find(key);
    return it == properties.end() ? QVariant() : it->second;
}

// "scheme://host:port" for CURLOPT_PROXY. The host text may carry a scheme (http, socks4,
// socks4a, socks5, socks5h; none means an HTTP proxy) and a port; a non-empty port text wins.
// Without any port libcurl's default (1080) applies.
std::optional<QByteArray> proxyText(const QString& hostText, const QString& portText,
                                    QString* problem)
{
    const QString trimmed = hostText.trimmed();
    if (trimmed.isEmpty()) {
        *problem = QStringLiteral("A proxy is set but its host is empty");
        return std::nullopt;
    }
    const QString withScheme =
        trimmed.contains(QLatin1String("://")) ? trimmed : QStringLiteral("http://") + trimmed;
    const QUrl parsed(withScheme, QUrl::StrictMode);
    const QString scheme = parsed.scheme().toLower();
    if (parsed.isValid() && !kProxySchemes.contains(scheme)) {
        *problem = QStringLiteral("The proxy kind \"%1\" is not one of http, socks4, socks4a, "
                                  "socks5 and socks5h")
                       .arg(scheme);
        return std::nullopt;
    }
    if (!parsed.isValid() || parsed.host().isEmpty() ||
        (parsed.path() != QLatin1String("/") && !parsed.path().isEmpty()) ||
        !parsed.userInfo().isEmpty()) {
        *problem = QStringLiteral("The proxy host \"%1\" is not a host name").arg(hostText);
        return std::nullopt;
    }
    int port = parsed.port(-1);
    const QString portTrimmed = portText.trimmed();
    if (!portTrimmed.isEmpty()) {
        bool ok = false;
        port = portTrimmed.toInt(&ok, 10);
        const bool digitsOnly = std::all_of(portTrimmed.begin(), portTrimmed.end(),
                                            [](QChar c) { return c >= u'0' && c <= u'9'; });
        if (!ok || !digitsOnly || port < 1 || port > 65535) {
            *problem = QStringLiteral("The proxy port \"%1\" is not a port number").arg(portText);
            return std::nullopt;
        }
    }
    const QString host = parsed.host(QUrl::FullyEncoded);
    QByteArray text =
        scheme.toLatin1() + "://" +
        (host.contains(QLatin1Char(':')) ? '[' + host.toLatin1() + ']' : host.toLatin1());
    if (port > 0)
        text += ':' + QByteArray::number(port);
    return text;
}

bool isTransportFailure(CURLcode code)
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PROXY:
    case CURLE_ABORTED_BY_CALLBACK:
    case CURLE_OUT_OF_MEMORY:
    case CURLE_WRITE_ERROR:
    case CURLE_READ_ERROR:
    case CURLE_URL_MALFORMAT:
    case CURLE_BAD_FUNCTION_ARGUMENT:
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_ACCEPT_TIMEOUT:
    case CURLE_INTERFACE_FAILED:
    case CURLE_SSL_CONNECT_ERROR:
        return true;
    default:
        return false;
    }
}

// The SSH log-in: the key file when one is given, a password when one is given, and the
// user's ssh-agent (libssh2 finds it through SSH_AUTH_SOCK, and goes on when there is none).
// libcurl's own default key (id_rsa in ~/.ssh, else in the working folder) is never tried.
std::optional<StreamError> applySsh(CURL* easy, const FtpStreamProperties& properties,
                                    bool withPassword)
{
    long methods = CURLSSH_AUTH_AGENT;
    if (withPassword)
        methods |= CURLSSH_AUTH_PASSWORD;
    const QString keyFile = property(properties, FtpStreamProperty::SshPrivateKeyFile).toString();
    if (!keyFile.isEmpty()) {
        QFile key(keyFile);
        if (!key.open(QIODevice::ReadOnly))
            return localError(CURLE_LOGIN_DENIED,
                              QStringLiteral("The key file \"%1\" cannot be read: %2")
                                  .arg(keyFile, key.errorString()));
        // libssh2 reads OpenSSH's and PEM's private keys, each framed by a "-----BEGIN ...
        // PRIVATE KEY-----" line; of anything else the server would only hear no key at all.
        const QByteArray text = key.read(64 * 1024);
        if (!text.contains("PRIVATE KEY-----"))
            return localError(
                CURLE_LOGIN_DENIED,
                text.startsWith("ssh-") || text.startsWith("ecdsa-") || text.startsWith("sk-")
                    ? QStringLiteral("The key file \"%1\" is a public key: choose the private "
                                     "key beside it")
                          .arg(keyFile)
                    : QStringLiteral("The key file \"%1\" holds no private key").arg(keyFile));
        methods |= CURLSSH_AUTH_PUBLICKEY;
    }
    curl_easy_setopt(easy, CURLOPT_SSH_AUTH_TYPES, methods);
    if (!keyFile.isEmpty()) {
        curl_easy_setopt(easy, CURLOPT_SSH_PRIVATE_KEYFILE, QFile::encodeName(keyFile).constData());
        // Without a public key file libssh2 derives the public key from the private one.
        curl_easy_setopt(easy, CURLOPT_SSH_PUBLIC_KEYFILE, "");
        const QByteArray passphrase =
            property(properties, FtpStreamProperty::SshKeyPassphrase).toString().toUtf8();
        curl_easy_setopt(easy, CURLOPT_KEYPASSWD, passphrase.constData());
    }
    return std::nullopt;
}

} // namespace

Timeouts timeouts()
{
    return Timeouts{scaled(30), scaled(60), scaled(60), scaled(30)};
}

void setScale(double scale)
{
    scaleValue() = scale > 0 ? scale : 1.0;
}

void globalInit()
{
    static const bool done = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    (void)done;
}

std::optional<StreamError> apply(CURL* easy, const FtpStreamProperties& properties,
                                 const FtpTarget& target, char* errorBuffer)
{
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
    const bool sftp = target.protocol() == Protocol::SFTP;
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, sftp ? "sftp" : "ftp");
    curl_easy_setopt(easy, CURLOPT_FTP_CREATE_MISSING_DIRS,
                     static_cast<long>(CURLFTP_CREATE_DIR_NONE));
    // A PASV reply may name any address; data connections go where the control connection went.
    curl_easy_setopt(easy, CURLOPT_FTP_SKIP_PASV_IP, 1L);

    const Timeouts limits = timeouts();
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connect.count()));
    const long responseSeconds =
        std::max<long>(1, std::lround(std::ceil(limits.response.count() / 1000.0)));
    curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, responseSeconds);
    curl_easy_setopt(easy, CURLOPT_ACCEPTTIMEOUT_MS, static_cast<long>(limits.response.count()));

    // Login: the properties' pair, else the URL's own, else libcurl's anonymous login.
    QByteArray user = target.userName();
    QByteArray password = target.password();
    bool haveLogin = target.hasUserName();
    if (properties.count(FtpStreamProperty::kCFStreamPropertyFTPUserName)) {
        user = property(properties, FtpStreamProperty::kCFStreamPropertyFTPUserName)
                   .toString()
                   .toUtf8();
        password = property(properties, FtpStreamProperty::kCFStreamPropertyFTPPassword)
                       .toString()
                       .toUtf8();
        haveLogin = true;
    }
    if (!FtpTarget::isCommandSafe(user) || !FtpTarget::isCommandSafe(password))
        return localError(CURLE_LOGIN_DENIED,
                          QStringLiteral("The login holds a line break or NUL"));
    if (haveLogin) {
        curl_easy_setopt(easy, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, password.constData());
    }
    if (sftp)
        if (auto problem = applySsh(easy, properties, !password.isEmpty()))
            return problem;

    const bool useProxy = hasAnyProxyProperty(properties);
    const QVariant passive =
        property(properties, FtpStreamProperty::kCFStreamPropertyFTPUsePassiveMode);
    // Active mode cannot work through a proxy: the server would connect back around it.
    if (useProxy || !passive.isValid() || passive.toBool()) {
        curl_easy_setopt(easy, CURLOPT_FTP_USE_EPSV, 1L);
        curl_easy_setopt(easy, CURLOPT_FTPPORT, nullptr);
    } else {
        // "-": listen on the local address of the control connection (EPRT, else PORT).
        curl_easy_setopt(easy, CURLOPT_FTPPORT, "-");
        curl_easy_setopt(easy, CURLOPT_FTP_USE_EPRT, 1L);
    }

    return applyProxy(easy, properties);
}

std::optional<StreamError> applyProxy(CURL* easy, const FtpStreamProperties& properties)
{
    if (!hasAnyProxyProperty(properties)) {
        // No proxy from the environment either: the settings decide.
        curl_easy_setopt(easy, CURLOPT_PROXY, "");
        return std::nullopt;
    }
    QString problem;
    const auto proxy =
        proxyText(property(properties, FtpStreamProperty::kCFStreamPropertyFTPProxyHost).toString(),
                  property(properties, FtpStreamProperty::kCFStreamPropertyFTPProxyPort).toString(),
                  &problem);
    if (!proxy)
        return localError(CURLE_COULDNT_RESOLVE_PROXY, problem);
    curl_easy_setopt(easy, CURLOPT_PROXY, proxy->constData());
    // An empty no-proxy list: every host, loopback included, goes through the proxy.
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "");
    if (proxy->startsWith("http:"))
        curl_easy_setopt(easy, CURLOPT_HTTPPROXYTUNNEL, 1L);
    const QByteArray proxyUser =
        property(properties, FtpStreamProperty::kCFStreamPropertyFTPProxyUser).toString().toUtf8();
    const QByteArray proxyPassword =
        property(properties, FtpStreamProperty::kCFStreamPropertyFTPProxyPassword)
            .toString()
            .toUtf8();
    if (!proxyUser.isEmpty() || !proxyPassword.isEmpty()) {
        curl_easy_setopt(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
        curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, proxyUser.constData());
        curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, proxyPassword.constData());
    }
    return std::nullopt;
}

StreamError errorFor(CURL* easy, CURLcode result, const char* errorBuffer,
                     const QByteArray& serverReply)
{
    long reply = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &reply);
    QString message = QString::fromUtf8(curl_easy_strerror(result));
    if (errorBuffer && errorBuffer[0])
        message += QStringLiteral(": ") + QString::fromUtf8(errorBuffer).trimmed();
    // A 421 reply closes the connection (RFC 959, 4.2): libcurl calls it a time-out, but the
    // server said why (pure-ftpd refusing a clear-text login).
    const bool closedByServer = reply == 421 && serverReply.startsWith("421");
    if ((!isTransportFailure(result) || closedByServer) && reply >= 400) {
        // The server's own words say why, not libcurl's reading of them.
        if (serverReply.startsWith(QByteArray::number(reply)))
            message = Log::printable(QString::fromUtf8(serverReply));
        return StreamError{StreamErrorDomain::FTP, static_cast<int>(reply), message};
    }
    return StreamError{StreamErrorDomain::Network, static_cast<int>(result), message};
}

StreamError localError(CURLcode code, const QString& message)
{
    return StreamError{StreamErrorDomain::Network, static_cast<int>(code), message};
}

bool hasAnyProxyProperty(const FtpStreamProperties& properties)
{
    for (FtpStreamProperty key : {FtpStreamProperty::kCFStreamPropertyFTPProxyHost,
                                  FtpStreamProperty::kCFStreamPropertyFTPProxyPort,
                                  FtpStreamProperty::kCFStreamPropertyFTPProxyUser,
                                  FtpStreamProperty::kCFStreamPropertyFTPProxyPassword})
        if (properties.count(key))
            return true;
    return false;
}

StreamError sshLoginRefused(const FtpStreamProperties& properties, const QUrl& url)
{
    const auto given = [&properties](FtpStreamProperty key) {
        return !property(properties, key).toString().isEmpty();
    };
    const bool password = given(FtpStreamProperty::kCFStreamPropertyFTPPassword) ||
                          !FtpTarget(url).password().isEmpty();
    QString text = given(FtpStreamProperty::SshPrivateKeyFile) || !password
                       ? (password ? QStringLiteral("No key accepted, password refused")
                                   : QStringLiteral("No key accepted"))
                       : QStringLiteral("Password refused");
    const QString keyFile = property(properties, FtpStreamProperty::SshPrivateKeyFile).toString();
    // libssh2 cannot tell a wrong passphrase from a key the server does not take.
    if (given(FtpStreamProperty::SshKeyPassphrase))
        text += QStringLiteral(" (or the key's passphrase is wrong)");
    else if (!keyFile.isEmpty() && SshKeyFile::needsPassphrase(keyFile))
        text += QStringLiteral(" (the key needs its passphrase, and none was given)");
    return localError(CURLE_LOGIN_DENIED, text);
}

StreamError downloadBrokenOff(CURLcode code, int64_t received, int64_t size)
{
    return localError(code, QStringLiteral("The transfer broke off after %1 of %2 bytes: the "
                                           "connection was lost or the server could not read "
                                           "the file")
                                .arg(received)
                                .arg(size));
}

StreamError uploadBrokenOff(CURLcode code, int64_t sent)
{
    if (code == CURLE_SEND_ERROR)
        return localError(code,
                          QStringLiteral("The connection was lost after %1 bytes sent").arg(sent));
    return localError(code, QStringLiteral("The transfer broke off after %1 bytes sent: the "
                                           "connection was lost or the server could not write "
                                           "the file (is its disk full?)")
                                .arg(sent));
}

} // namespace CurlOptions
