#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

#include "platform/ftp/ConnectionSecurity.h"

// The SSH host keys the user trusted, in $XDG_CONFIG_HOME/tandrel/known_hosts in OpenSSH's own
// format ("[host]:port key-type base64", one host a line; mode 0600, replaced atomically).
// The user's ~/.ssh/known_hosts is read by libssh2 and never written.
class TrustedHostKeys final
{
public:
    TrustedHostKeys() = delete;

    static QString storePath();
    // OpenSSH's own known_hosts file of the user, read only; tests set another one (empty:
    // back to ~/.ssh/known_hosts). Main thread.
    static QString sshKnownHostsPath();
    static void setSshKnownHostsPath(const QString& path);
    // "host" for port 22, "[host]:port" otherwise, as OpenSSH writes it.
    static QString hostEntry(const QString& host, int port);

    // The key blob trusted for the host entry, if any.
    static std::optional<QByteArray> trusted(const QString& hostEntry);
    // Records the key for the host (replacing an earlier one). False, with the reason, when the
    // file could not be written.
    static bool trust(const QString& hostEntry, const HostKeyDetails& key,
                      QString* problem = nullptr);

    // The key type named in a key blob ("ssh-ed25519", "ecdsa-sha2-nistp256", ...), and the
    // fingerprint as `ssh-keygen -lf` prints it ("SHA256:" and unpadded base64).
    static QString keyType(const QByteArray& blob);
    static QString fingerprint(const QByteArray& blob);
};
