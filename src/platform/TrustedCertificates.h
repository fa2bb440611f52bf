#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

#include "platform/ftp/ConnectionSecurity.h"

// The certificates the user trusted, one per "host:port", and the hosts once reached with TLS,
// in $XDG_CONFIG_HOME/tandrel/trusted-certificates.json (mode 0600, replaced atomically). Read
// afresh at every call: the file is small and another window may have written it.
class TrustedCertificates final
{
public:
    TrustedCertificates() = delete;

    struct Entry
    {
        QString fingerprint;
        QByteArray publicKeyPin;
    };

    static QString storePath();

    static std::optional<Entry> trusted(const QString& hostPort);
    // Pins the certificate's key for the host (replacing an earlier one) and remembers that
    // the host speaks TLS. False when the file could not be written.
    static bool trust(const QString& hostPort, const CertificateDetails& certificate);

    static bool usedWithTls(const QString& hostPort);
    static bool rememberTls(const QString& hostPort);

    // For the rest of this run, the user allowed plain text to a host once used with TLS.
    static void allowPlainThisRun(const QString& hostPort);
    static bool plainAllowedThisRun(const QString& hostPort);
};
