#include "PureFtpdServer.h"

#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include "LoopbackPort.h"

namespace {

const char* const kPureFtpd = TANDREL_PEERS_DIR "/root/usr/sbin/pure-ftpd";

} // namespace

QUrl PureFtpdServer::url(const QString& path) const
{
    return QUrl(QStringLiteral("ftp://127.0.0.1:%1%2").arg(listeningPort).arg(path),
                QUrl::StrictMode);
}

QString PureFtpdServer::whyUnavailable()
{
    if (!QFileInfo(QString::fromLatin1(kPureFtpd)).isExecutable())
        return QStringLiteral("pure-ftpd is not unpacked: run scripts/fetch-peers.sh");
    if (geteuid() != 0)
        return QStringLiteral("pure-ftpd needs root to start");
    return QString();
}

bool PureFtpdServer::start(const QString& certificate, const QString& key)
{
    failure = whyUnavailable();
    if (!failure.isEmpty())
        return false;
    // It reads the certificate and the key from one file.
    const QString pem = folder.filePath(QStringLiteral("pure-ftpd.pem"));
    QFile both(pem);
    QFile certificateFile(certificate);
    QFile keyFile(key);
    if (!both.open(QIODevice::WriteOnly) || !certificateFile.open(QIODevice::ReadOnly) ||
        !keyFile.open(QIODevice::ReadOnly) ||
        both.write(certificateFile.readAll() + keyFile.readAll()) < 0) {
        failure = QStringLiteral("cannot write %1").arg(pem);
        return false;
    }
    both.close();
    listeningPort = LoopbackPort::pickFree();
    if (!process.start(QString::fromLatin1(kPureFtpd),
                       {QStringLiteral("--bind=127.0.0.1,%1").arg(listeningPort),
                        QStringLiteral("--tls=2"), "--certfile=" + pem,
                        QStringLiteral("--anonymousonly"), QStringLiteral("--chrooteveryone")}) ||
        !LoopbackPort::waitUntilListening(listeningPort, 5000) || !process.isRunning()) {
        failure = QStringLiteral("pure-ftpd did not listen: %1").arg(process.errors());
        process.stop();
        return false;
    }
    return true;
}
