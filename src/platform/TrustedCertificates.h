#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

#include "platform/ftp/ConnectionSecurity.h"

// The certificates the user trusted, one per "host:port", and the hosts once reached with TLS,
// in $XDG_CONFIG_HOME/tandrel/trusted-certificates.json (mode 0600, replaced atomically). Read
// again whenever the file or its folder changed: another window may have written it.
//
// A store that cannot be read (broken, cut short, not a file) is never written over: it is moved
// aside as trusted-certificates.json.corrupt. While it cannot be read, and while a copy kept
// aside is there, no host can be told to be new to TLS: every one counts as once reached with
// it, so plain text is used only after asking.
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
    // the host speaks TLS. False, with the reason, when the file could not be written.
    static bool trust(const QString& hostPort, const CertificateDetails& certificate,
                      QString* problem = nullptr);

    static bool usedWithTls(const QString& hostPort);
    // Both answers above from one look at the store, as every transfer's start asks them.
    struct HostTrust
    {
        bool usedWithTls = false;
        std::optional<Entry> trusted;
    };
    static HostTrust forHost(const QString& hostPort);
    static bool rememberTls(const QString& hostPort, QString* problem = nullptr);

    // Moves a store that cannot be read aside; false, with the reason, when it cannot be moved.
    static bool setAsideUnreadable(QString* problem = nullptr);
    // Why hosts are not told apart, for the window: the store cannot be read, or a copy of one
    // that could not be read is kept aside. Empty when the store is sound.
    static QString unreadableNotice();

    // For the rest of this run, the user allowed plain text to a host once used with TLS.
    static void allowPlainThisRun(const QString& hostPort);
    static bool plainAllowedThisRun(const QString& hostPort);
};
