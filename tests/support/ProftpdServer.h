#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include "LoopbackPort.h"
#include "ServerProcess.h"
#include "TestFiles.h"

// ProFTPD with mod_tls, unpacked from Debian's packages by scripts/fetch-peers.sh into the
// build's peers folder (it cannot be installed beside vsftpd), run in the foreground on
// 127.0.0.1 and a free port with a configuration of its own: anonymous login, uploads in
// /incoming, TLS required for the login and the data, with its default check that each data
// connection resumes the control connection's TLS session.
class ProftpdServer final
{
public:
    struct Options
    {
        QString certificate; // PEM files
        QString key;
        QString protocols = QStringLiteral("TLSv1.2 TLSv1.3"); // its TLSProtocol directive
    };

    ProftpdServer();
    ~ProftpdServer() { process.stop(); }

    // Why it cannot run here (not unpacked, not root), or nothing: tests skip then.
    static QString whyUnavailable();
    bool start(const Options& options);
    // Why start() failed.
    QString problem() const { return failure; }
    // Its TLS log, which says why a data connection was refused.
    QString tlsLog() const { return QString::fromUtf8(readFile(folder.filePath("tls.log"))); }

    QString localPath(const QString& relative) const { return QDir(root()).filePath(relative); }
    QUrl url(const QString& path) const { return LoopbackPort::ftpUrl(listeningPort, path); }

    Q_DISABLE_COPY_MOVE(ProftpdServer)

private:
    QString root() const { return folder.filePath(QStringLiteral("root")); }

    QTemporaryDir folder;
    ServerProcess process;
    quint16 listeningPort = 0;
    QString failure;
};
