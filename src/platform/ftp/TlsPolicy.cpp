#include "platform/ftp/TlsPolicy.h"

#include <arpa/inet.h>
#include <map>
#include <mutex>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <string>
#include <vector>

#include <QCryptographicHash>
#include <QDateTime>
#include <QUrl>

#include "platform/LocalizedText.h"
#include "platform/TrustedCertificates.h"
#include "platform/ftp/TlsSessions.h"

namespace {

// What the OpenSSL callbacks saw of one transfer's handshakes.
struct Capture
{
    bool verifying = true;       // return OpenSSL's verdict; false: the pin decides afterwards
    std::string host;            // the name the certificate must carry
    int verifyError = X509_V_OK; // the first problem of the chain
    bool nameMismatch = false;
    std::vector<unsigned char> leaf; // the server's own certificate, DER
    std::string protocol;
    bool handshakeDone = false;
    bool upload = false; // the transfer's data connection only sends
};

std::mutex captureLock;
std::map<uint64_t, Capture> captures;
uint64_t lastCaptureId = 0;

// Main thread only: a transfer takes a copy when it starts.
QString& caFile()
{
    static QString path;
    return path;
}

// "host:port", an IPv6 address in brackets.
QString hostPortOf(const QUrl& parsed, Encryption mode)
{
    const int defaultPort = mode == Encryption::Implicit ? 990 : 21;
    const QString hostText = parsed.host().contains(QLatin1Char(':'))
                                 ? QLatin1Char('[') + parsed.host() + QLatin1Char(']')
                                 : parsed.host();
    return hostText + QLatin1Char(':') + QString::number(parsed.port(defaultPort));
}

int exIndex()
{
    static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

uint64_t captureIdOf(const SSL* ssl)
{
    return reinterpret_cast<uintptr_t>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), exIndex()));
}

void keepLeaf(Capture& capture, X509* cert)
{
    if (!cert || !capture.leaf.empty())
        return;
    const int length = i2d_X509(cert, nullptr);
    if (length <= 0)
        return;
    capture.leaf.resize(static_cast<size_t>(length));
    unsigned char* out = capture.leaf.data();
    i2d_X509(cert, &out);
}

bool nameMatches(X509* cert, const std::string& host)
{
    if (X509_check_ip_asc(cert, host.c_str(), 0) == 1)
        return true;
    return X509_check_host(cert, host.data(), host.size(), 0, nullptr) == 1;
}

// Called by OpenSSL for each certificate of the chain and each problem found in it.
int verifyCallback(int ok, X509_STORE_CTX* store)
{
    auto* ssl =
        static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    if (!ssl)
        return ok;
    const std::lock_guard<std::mutex> guard(captureLock);
    const auto it = captures.find(captureIdOf(ssl));
    if (it == captures.end())
        return ok;
    Capture& capture = it->second;
    X509* leaf = X509_STORE_CTX_get0_cert(store);
    if (capture.leaf.empty() && leaf) {
        keepLeaf(capture, leaf);
        capture.nameMismatch = !nameMatches(leaf, capture.host);
        capture.protocol = SSL_get_version(ssl);
    }
    if (!ok && capture.verifyError == X509_V_OK)
        capture.verifyError = X509_STORE_CTX_get_error(store);
    return capture.verifying ? ok : 1;
}

// Called by OpenSSL as a handshake goes; a resumed session (data connections) skips the
// verification but ends here too.
void infoCallback(const SSL* ssl, int where, int /*ret*/)
{
    if (where & SSL_CB_HANDSHAKE_START)
        TlsSessions::handshakeStarts(const_cast<SSL*>(ssl));
    if (!(where & SSL_CB_HANDSHAKE_DONE))
        return;
    const std::lock_guard<std::mutex> guard(captureLock);
    const auto it = captures.find(captureIdOf(ssl));
    if (it == captures.end())
        return;
    it->second.handshakeDone = true;
    it->second.protocol = SSL_get_version(ssl);
    keepLeaf(it->second, SSL_get0_peer_certificate(ssl));
}

CURLcode sslContextCallback(CURL* easy, void* sslContext, void* userData)
{
    auto* context = static_cast<SSL_CTX*>(sslContext);
    SSL_CTX_set_ex_data(context, exIndex(), userData);
    bool upload = false;
    {
        const std::lock_guard<std::mutex> guard(captureLock);
        const auto it = captures.find(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(userData)));
        upload = it != captures.end() && it->second.upload;
    }
    TlsSessions::prepare(easy, context, upload);
    // Always asked, so the certificate is seen even when the pin alone decides.
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, verifyCallback);
    SSL_CTX_set_info_callback(context, infoCallback);
    return CURLE_OK;
}

QString nameText(const X509_NAME* name)
{
    BIO* bio = BIO_new(BIO_s_mem());
    X509_NAME_print_ex(bio, name, 0, XN_FLAG_RFC2253);
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    const QString text = QString::fromUtf8(data, length);
    BIO_free(bio);
    return text;
}

QString timeText(const ASN1_TIME* time)
{
    tm parts{};
    if (!time || ASN1_TIME_to_tm(time, &parts) != 1)
        return QString();
    const QDateTime at(QDate(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday),
                       QTime(parts.tm_hour, parts.tm_min, parts.tm_sec), Qt::UTC);
    return at.toString(Qt::ISODate);
}

std::optional<CertificateDetails> detailsOf(const std::vector<unsigned char>& der)
{
    const unsigned char* in = der.data();
    X509* cert = d2i_X509(nullptr, &in, static_cast<long>(der.size()));
    if (!cert)
        return std::nullopt;
    CertificateDetails details;
    details.subject = nameText(X509_get_subject_name(cert));
    details.issuer = nameText(X509_get_issuer_name(cert));
    details.validFrom = timeText(X509_get0_notBefore(cert));
    details.validUntil = timeText(X509_get0_notAfter(cert));
    const QByteArray digest = QCryptographicHash::hash(
        QByteArray(reinterpret_cast<const char*>(der.data()), static_cast<qsizetype>(der.size())),
        QCryptographicHash::Sha256);
    details.fingerprint = QString::fromLatin1(digest.toHex(':').toUpper());
    unsigned char* key = nullptr;
    const int keyLength = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(cert), &key);
    if (keyLength > 0)
        details.publicKeyPin = "sha256//" + QCryptographicHash::hash(
                                                QByteArray(reinterpret_cast<char*>(key), keyLength),
                                                QCryptographicHash::Sha256)
                                                .toBase64();
    OPENSSL_free(key);
    X509_free(cert);
    return details;
}

// The names a certificate holds: its DNS names and addresses, or without them its common name.
// Control characters are shown as "?": the names come from the server.
QStringList namesOf(X509* cert)
{
    QStringList names;
    auto* general =
        static_cast<GENERAL_NAMES*>(X509_get_ext_d2i(cert, NID_subject_alt_name, nullptr, nullptr));
    for (int i = 0; i < sk_GENERAL_NAME_num(general); ++i) {
        const GENERAL_NAME* name = sk_GENERAL_NAME_value(general, i);
        if (name->type == GEN_DNS) {
            names << QString::fromLatin1(
                reinterpret_cast<const char*>(ASN1_STRING_get0_data(name->d.dNSName)),
                ASN1_STRING_length(name->d.dNSName));
        } else if (name->type == GEN_IPADD) {
            const int length = ASN1_STRING_length(name->d.iPAddress);
            char text[INET6_ADDRSTRLEN] = {};
            if ((length == 4 || length == 16) &&
                inet_ntop(length == 4 ? AF_INET : AF_INET6,
                          ASN1_STRING_get0_data(name->d.iPAddress), text, sizeof text))
                names << QString::fromLatin1(text);
        }
    }
    GENERAL_NAMES_free(general);
    const X509_NAME* subject = X509_get_subject_name(cert);
    const int common = X509_NAME_get_index_by_NID(subject, NID_commonName, -1);
    if (names.isEmpty() && common >= 0) {
        unsigned char* utf8 = nullptr;
        const int length = ASN1_STRING_to_UTF8(
            &utf8, X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, common)));
        if (length >= 0)
            names << QString::fromUtf8(reinterpret_cast<const char*>(utf8), length);
        OPENSSL_free(utf8);
    }
    for (QString& name : names)
        for (QChar& c : name)
            if (c.category() == QChar::Other_Control)
                c = QLatin1Char('?');
    return names;
}

// Every problem of the server's certificate that the user should weigh, in one sentence: the
// chain's first problem alone would hide the rest (OpenSSL stops at a self-signed certificate
// before it looks at the dates).
QString untrustedReason(const Capture& capture)
{
    const unsigned char* in = capture.leaf.data();
    X509* cert = capture.leaf.empty()
                     ? nullptr
                     : d2i_X509(nullptr, &in, static_cast<long>(capture.leaf.size()));
    const int error = capture.verifyError;
    QStringList problems;
    if (error == X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT ||
        (cert && X509_check_issued(cert, cert) == X509_V_OK &&
         X509_verify(cert, X509_get0_pubkey(cert)) == 1))
        //% "is self-signed"
        problems << localizedText("CertificateSelfSigned", "is self-signed");
    switch (error) {
    case X509_V_OK:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
        break; // told from the certificate itself
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        //% "was issued by an unknown authority"
        problems << localizedText("CertificateUnknownIssuer", "was issued by an unknown authority");
        break;
    case X509_V_ERR_CERT_REVOKED:
        //% "has been revoked"
        problems << localizedText("CertificateRevoked", "has been revoked");
        break;
    default:
        //% "could not be verified (%1)"
        problems << localizedText("CertificateNotVerifiedBecause", "could not be verified (%1)")
                        .arg(QString::fromUtf8(X509_verify_cert_error_string(error)));
    }
    if (error == X509_V_ERR_CERT_HAS_EXPIRED ||
        (cert && X509_cmp_current_time(X509_get0_notAfter(cert)) < 0))
        //% "has expired"
        problems << localizedText("CertificateExpired", "has expired");
    if (error == X509_V_ERR_CERT_NOT_YET_VALID ||
        (cert && X509_cmp_current_time(X509_get0_notBefore(cert)) > 0))
        //% "is not valid yet"
        problems << localizedText("CertificateNotYetValid", "is not valid yet");
    if (capture.nameMismatch) {
        QStringList names = cert ? namesOf(cert) : QStringList();
        // A certificate may hold hundreds of names; a few tell enough.
        //% "%1 more"
        const QString more = localizedText("CertificateMoreNames", "%1 more");
        if (names.size() > 5)
            names = names.mid(0, 4) << more.arg(names.size() - 4);
        //% "is for another host name"
        const QString otherHost = localizedText("CertificateOtherHost", "is for another host name");
        //% "is for another host name (it names %1)"
        const QString otherHostNamed =
            localizedText("CertificateOtherHostNamed", "is for another host name (it names %1)");
        problems << (names.isEmpty() ? otherHost
                                     : otherHostNamed.arg(names.join(QLatin1String(", "))));
    }
    X509_free(cert);
    if (problems.isEmpty())
        //% "The server's certificate could not be verified"
        return localizedText("CertificateNotVerified",
                             "The server's certificate could not be verified");
    const QString last = problems.takeLast();
    //% "%1 and %2"
    const QString both = localizedText("CertificateProblemsAnd", "%1 and %2");
    //% "The server's certificate %1"
    return localizedText("CertificateProblems", "The server's certificate %1")
        .arg(problems.isEmpty() ? last : both.arg(problems.join(QLatin1String(", ")), last));
}

Capture snapshot(uint64_t id)
{
    const std::lock_guard<std::mutex> guard(captureLock);
    const auto it = captures.find(id);
    return it == captures.end() ? Capture{} : it->second;
}

} // namespace

Encryption encryptionFromKey(const QString& key)
{
    if (key == QLatin1String("require"))
        return Encryption::Require;
    if (key == QLatin1String("implicit"))
        return Encryption::Implicit;
    if (key == QLatin1String("none"))
        return Encryption::None;
    return Encryption::IfAvailable;
}

QString keyOfEncryption(Encryption encryption)
{
    switch (encryption) {
    case Encryption::Require:
        return QStringLiteral("require");
    case Encryption::Implicit:
        return QStringLiteral("implicit");
    case Encryption::None:
        return QStringLiteral("none");
    case Encryption::IfAvailable:
        break;
    }
    return QStringLiteral("if-available");
}

void TlsPolicy::setCertificateAuthorities(const QString& pemFile)
{
    caFile() = pemFile;
}

TlsPolicy::Trust TlsPolicy::trustFor(const QByteArray& url, Encryption mode)
{
    Trust trust;
    trust.caFile = caFile();
    if (mode == Encryption::None)
        return trust;
    const QString hostPort = hostPortOf(QUrl(QString::fromLatin1(url)), mode);
    // A host once reached with TLS is not used in plain text again unless the user said so.
    const TrustedCertificates::HostTrust known = TrustedCertificates::forHost(hostPort);
    trust.upgraded = mode == Encryption::IfAvailable && known.usedWithTls &&
                     !TrustedCertificates::plainAllowedThisRun(hostPort);
    if (known.trusted)
        trust.pin = known.trusted->publicKeyPin;
    return trust;
}

std::unique_ptr<TlsPolicy> TlsPolicy::configure(CURL* easy, Encryption mode, const QByteArray& url,
                                                bool upload, const Trust& trust,
                                                std::optional<StreamError>* problem)
{
    std::unique_ptr<TlsPolicy> policy(new TlsPolicy);
    policy->mode = mode;
    const QUrl parsed(QString::fromLatin1(url));
    const std::string host = parsed.host().toStdString();
    policy->hostPort = hostPortOf(parsed, policy->mode);

    if (policy->mode == Encryption::None) {
        curl_easy_setopt(easy, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_NONE));
        return policy;
    }
    if (policy->mode == Encryption::Implicit) {
        const QByteArray secure = "ftps" + url.mid(url.indexOf(':'));
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "ftps");
        curl_easy_setopt(easy, CURLOPT_URL, secure.constData());
    }
    policy->upgraded = trust.upgraded;
    const bool required = policy->mode != Encryption::IfAvailable || policy->upgraded;
    curl_easy_setopt(easy, CURLOPT_USE_SSL,
                     static_cast<long>(required ? CURLUSESSL_ALL : CURLUSESSL_TRY));
    curl_easy_setopt(easy, CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS));
    curl_easy_setopt(easy, CURLOPT_FTP_SSL_CCC, static_cast<long>(CURLFTPSSL_CCC_NONE));
    // Sessions are kept per control connection (TlsSessions), not in libcurl's per-host cache.
    curl_easy_setopt(easy, CURLOPT_SSL_SESSIONID_CACHE, 0L);

    policy->pinned = trust.pin.has_value();
    if (policy->pinned) {
        // The user's pinned key, and nothing else, is accepted for this host.
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
        curl_easy_setopt(easy, CURLOPT_PINNEDPUBLICKEY, trust.pin->constData());
    } else {
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    }
    if (!trust.caFile.isEmpty())
        curl_easy_setopt(easy, CURLOPT_CAINFO, trust.caFile.toLocal8Bit().constData());

    {
        const std::lock_guard<std::mutex> guard(captureLock);
        policy->id = ++lastCaptureId;
        Capture& capture = captures[policy->id];
        capture.verifying = !policy->pinned;
        capture.host = host;
        capture.upload = upload;
    }
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA,
                     reinterpret_cast<void*>(static_cast<uintptr_t>(policy->id)));
    if (curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, &sslContextCallback) != CURLE_OK)
        *problem = StreamError{StreamErrorDomain::Network, CURLE_NOT_BUILT_IN,
                               QStringLiteral("This libcurl cannot watch TLS certificates")};
    return policy;
}

TlsPolicy::~TlsPolicy()
{
    if (id == 0)
        return;
    const std::lock_guard<std::mutex> guard(captureLock);
    captures.erase(id);
}

std::optional<StreamError> TlsPolicy::describe(CURLcode code)
{
    failure = code;
    const Capture capture = snapshot(id);
    QString text;
    switch (code) {
    case CURLE_USE_SSL_FAILED:
        //% "The server does not offer TLS"
        text = localizedText("TlsNotOffered", "The server does not offer TLS");
        break;
    case CURLE_PEER_FAILED_VERIFICATION:
        text = untrustedReason(capture);
        break;
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        //% "The server's certificate is not the one you trusted"
        text = localizedText("CertificateNotTrustedOne",
                             "The server's certificate is not the one you trusted");
        break;
    case CURLE_SSL_CONNECT_ERROR:
        //% "The TLS handshake with the server failed"
        text = localizedText("TlsHandshakeFailed", "The TLS handshake with the server failed");
        if (mode == Encryption::Implicit && capture.leaf.empty())
            text = localizedText("TlsNotOffered", "The server does not offer TLS");
        break;
    case CURLE_SSL_CACERT_BADFILE:
        //% "The certificate authorities could not be read"
        text = localizedText("CertificateAuthoritiesUnreadable",
                             "The certificate authorities could not be read");
        break;
    default:
        return std::nullopt;
    }
    return StreamError{StreamErrorDomain::Network, static_cast<int>(code), text};
}

ConnectionSecurity TlsPolicy::security() const
{
    ConnectionSecurity security;
    security.hostPort = hostPort;
    const Capture capture = snapshot(id);
    if (!capture.leaf.empty())
        security.certificate = detailsOf(capture.leaf);
    if (capture.handshakeDone) {
        security.state =
            pinned ? ConnectionSecurity::State::TrustedByUser : ConnectionSecurity::State::Verified;
        security.protocol = QString::fromStdString(capture.protocol);
    }
    switch (failure) {
    case CURLE_OK:
        break;
    case CURLE_PEER_FAILED_VERIFICATION:
        security.problem = security.certificate ? ConnectionSecurity::Problem::Untrusted
                                                : ConnectionSecurity::Problem::Other;
        break;
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        security.problem = security.certificate ? ConnectionSecurity::Problem::Changed
                                                : ConnectionSecurity::Problem::Other;
        break;
    case CURLE_USE_SSL_FAILED:
        security.problem = upgraded ? ConnectionSecurity::Problem::TlsNoLongerUsed
                                    : ConnectionSecurity::Problem::Other;
        break;
    default:
        security.problem = ConnectionSecurity::Problem::Other;
    }
    return security;
}
