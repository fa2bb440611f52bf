#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include "ServerProcess.h"

// A second, C-written FTP server for tests: /usr/sbin/vsftpd with a configuration of its own
// (anonymous read-only login, 127.0.0.1, a free port, in the foreground), never the system's
// service. Where it cannot run (not installed, not root), start() says why.
//
// A named login needs no system account: vsftpd checks it through a PAM service of the
// fixture's own (a uniquely named file in /etc/pam.d, removed at stop) that looks the user up
// in a Berkeley DB made with db_load, and serves it as the "ftp" user like an anonymous one.
class VsftpdServer final
{
public:
    struct Options
    {
        // TLS with this certificate and key (PEM files): AUTH TLS, required for the login and
        // the data, with the data connections reusing the control connection's session.
        QString certificate;
        QString key;
        bool implicitTls = false; // TLS from the first byte
        // Anonymous uploads, folder creation and deletion in /incoming.
        bool writable = false;
        // A named login with this password instead of the anonymous one (same root, rights).
        QString user = {};
        QString password = {};
    };

    VsftpdServer();
    ~VsftpdServer();

    bool start() { return start(Options{}); }
    bool start(const Options& options);
    // Why start() failed.
    QString problem() const { return failure; }
    quint16 port() const { return listeningPort; }

    QString root() const;
    QString localPath(const QString& relative) const;
    QUrl url(const QString& path = QStringLiteral("/")) const;

    // Stops the server and the session processes it forked for open connections, so that the
    // next connection to this port meets whatever server starts next.
    void stop();

    Q_DISABLE_COPY_MOVE(VsftpdServer)

private:
    bool writeLogins(const Options& options);

    QTemporaryDir folder; // the configuration, an empty chroot folder and the served root
    ServerProcess process;
    quint16 listeningPort = 0;
    QString failure;
    QString pamService; // the PAM service file this server reads its logins through
};
