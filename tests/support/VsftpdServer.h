#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include "LoopbackPort.h"
#include "ServerProcess.h"

// A second, C-written FTP server for tests: /usr/sbin/vsftpd with a configuration of its own
// (anonymous read-only login, 127.0.0.1, a free port, in the foreground), never the system's
// service. Where it cannot run (not installed, not root), start() says why.
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
        bool tls12Only = false; // no TLS 1.3 (through OpenSSL's configuration)
        quint16 port = 0;       // 0: a free one
        // Any address of 127.0.0.0/8: a run of its own on a fixed port.
        QString address = QStringLiteral("127.0.0.1");
    };

    VsftpdServer();
    ~VsftpdServer() { stop(); }

    bool start() { return start(Options{}); }
    bool start(const Options& options);
    // Why start() failed.
    QString problem() const { return failure; }
    quint16 port() const { return listeningPort; }

    QString root() const { return folder.filePath(QStringLiteral("root")); }
    QString localPath(const QString& relative) const { return QDir(root()).filePath(relative); }
    QUrl url(const QString& path = "/") const
    {
        return LoopbackPort::ftpUrl(listeningPort, path, listeningAddress);
    }

    // Stops the server and the session processes it forked for open connections (one each,
    // and a helper), so that the next connection to this port meets whatever server starts next.
    void stop() { process.stopWithSessions(); }

    Q_DISABLE_COPY_MOVE(VsftpdServer)

private:
    QTemporaryDir folder; // the configuration, an empty chroot folder and the served root
    ServerProcess process;
    quint16 listeningPort = 0;
    QString listeningAddress;
    QString failure;
};
