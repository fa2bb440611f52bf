#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include "ServerProcess.h"

// A second, C-written FTP server for tests: /usr/sbin/vsftpd with a configuration of its own
// (anonymous read-only login, 127.0.0.1, a free port, in the foreground), never the system's
// service. Where it cannot run (not installed, not root), start() says why.
class VsftpdServer final
{
public:
    VsftpdServer();
    ~VsftpdServer();

    bool start();
    // Why start() failed.
    QString problem() const { return failure; }
    quint16 port() const { return listeningPort; }

    QString root() const;
    QString localPath(const QString& relative) const;
    QUrl url(const QString& path = QStringLiteral("/")) const;

    void stop() { process.stop(); }

    Q_DISABLE_COPY_MOVE(VsftpdServer)

private:
    QTemporaryDir folder; // the configuration, an empty chroot folder and the served root
    ServerProcess process;
    quint16 listeningPort = 0;
    QString failure;
};
