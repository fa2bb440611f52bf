#pragma once

#include <array>
#include <optional>

#include <QByteArray>
#include <QMetaType>
#include <QString>

// How an FTP connection is protected: the user's choice, and what a transfer found out.

// The Encryption setting. A missing or unknown value means IfAvailable.
enum class Encryption
{
    IfAvailable, // AUTH TLS when the server offers it; plain text otherwise
    Require,     // AUTH TLS or nothing: no login is sent to a server without TLS
    Implicit,    // TLS from the first byte (ftps://, usually port 990)
    None,        // plain FTP
};

// The protocol a server speaks; its URLs are ftp:// or sftp://.
enum class Protocol
{
    FTP,
    SFTP, // SSH's file transfer protocol: no TLS, the SSH host key instead
};

// Every choice, in the order the window offers them.
inline constexpr std::array<Encryption, 4> kEncryptions = {
    Encryption::IfAvailable, Encryption::Require, Encryption::Implicit, Encryption::None};

// The key text, as the settings and the stream properties hold it ("if-available", "require",
// "implicit", "none"), and back.
Encryption encryptionFromKey(const QString& key);
QString keyOfEncryption(Encryption encryption);

Q_DECLARE_METATYPE(Encryption)

// What a server's certificate says, for the user to judge.
struct CertificateDetails
{
    QString subject;
    QString issuer;
    QString validFrom; // ISO 8601, UTC
    QString validUntil;
    QString fingerprint;     // SHA-256 of the certificate, "AB:CD:..." as openssl prints it
    QByteArray publicKeyPin; // "sha256//" + base64 of the SHA-256 of the SubjectPublicKeyInfo
};

// An SSH server's host key, for the user to judge.
struct HostKeyDetails
{
    QString type;                // "ssh-ed25519", "ecdsa-sha2-nistp256", "ssh-rsa", ...
    QString fingerprint;         // "SHA256:..." as ssh-keygen -lf prints it
    QByteArray blob;             // the key as the server sent it
    QString previousFingerprint; // a changed key: the one known before
};

struct ConnectionSecurity
{
    enum class State
    {
        Plain,            // no TLS
        Verified,         // TLS, the certificate vouched for by a known authority
        TrustedByUser,    // TLS, the certificate pinned by the user
        SshKnown,         // SSH, the host key found in ~/.ssh/known_hosts
        SshTrustedByUser, // SSH, the host key trusted by the user in Tandrel
    };
    // Why a transfer stopped, where the user can do something about it.
    enum class Problem
    {
        None,
        Untrusted, // the certificate (host key) could not be verified: ask whether to trust it
        Changed,   // the certificate (host key) is not the one trusted before: warn
        TlsNoLongerUsed, // the host was used with TLS before and now offers none: ask
        Other,           // any other TLS failure, told in the stream's error
    };

    State state = State::Plain;
    QString protocol; // "TLSv1.3", "TLSv1.2"; empty without TLS
    Problem problem = Problem::None;
    QString hostPort;                              // "host:port" as the trust store keys it
    std::optional<CertificateDetails> certificate; // what the server presented, when it did
    std::optional<HostKeyDetails> hostKey;         // an SSH server's key
};
