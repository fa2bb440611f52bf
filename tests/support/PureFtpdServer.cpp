#include "PureFtpdServer.h"

#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include "LoopbackPort.h"

namespace {

const char* const kPureFtpd = TANDREL_PEERS_DIR "/root/usr/sbin/pure-ftpd";

} // namespace

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
    QFile certificateFile(certificate);
    QFile keyFile(key);
    if (!certificateFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly)) {
        failure = QStringLiteral("cannot read %1 or %2").arg(certificate, key);
        return false;
    }
    const QString pem = folder.filePath(QStringLiteral("pure-ftpd.pem"));
    failure = ServerProcess::writeConfig(pem, certificateFile.readAll() + keyFile.readAll());
    listeningPort = LoopbackPort::pickFree();
    if (failure.isEmpty())
        failure = process.startListening(
            QStringLiteral("pure-ftpd"), QString::fromLatin1(kPureFtpd),
            {QStringLiteral("--bind=127.0.0.1,%1").arg(listeningPort), QStringLiteral("--tls=2"),
             "--certfile=" + pem, QStringLiteral("--anonymousonly"),
             QStringLiteral("--chrooteveryone")},
            listeningPort);
    return failure.isEmpty();
}
