#include "ProftpdServer.h"

#include <pwd.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include "LoopbackPort.h"

namespace {

QString peer(const QString& relative)
{
    return QStringLiteral(TANDREL_PEERS_DIR "/root/") + relative;
}

} // namespace

ProftpdServer::ProftpdServer()
{
    // The session runs as the unprivileged "ftp" user, chrooted into the root.
    QDir(folder.path()).mkpath(QStringLiteral("root/incoming"));
    ServerProcess::openToOthers({folder.path(), root()});
    if (const passwd* ftp = getpwnam("ftp"))
        (void)chown(localPath(QStringLiteral("incoming")).toLocal8Bit().constData(), ftp->pw_uid,
                    ftp->pw_gid);
}

QString ProftpdServer::whyUnavailable()
{
    if (!QFileInfo(peer(QStringLiteral("usr/sbin/proftpd"))).isExecutable())
        return QStringLiteral("ProFTPD is not unpacked: run scripts/fetch-peers.sh");
    if (geteuid() != 0 || !getpwnam("ftp"))
        return QStringLiteral("ProFTPD needs root and an ftp user");
    return QString();
}

bool ProftpdServer::start(const Options& options)
{
    failure = whyUnavailable();
    if (!failure.isEmpty())
        return false;
    listeningPort = LoopbackPort::pickFree();
    const auto in = [this](const char* name) { return folder.filePath(QLatin1String(name)); };
    // The configuration, its lines written "|"-separated.
    const QString lines =
        QStringLiteral("ServerType standalone|DefaultServer on|Port %1|DefaultAddress 127.0.0.1|"
                       "UseIPv6 off|User nobody|Group nogroup|ModulePath %2|LoadModule mod_tls.c|"
                       "ScoreboardFile %3|PidFile %4|SystemLog %5|DelayTable none|WtmpLog off|"
                       "TransferLog none|UseReverseDNS off|RequireValidShell off|"
                       "AuthOrder mod_auth_unix.c|TLSEngine on|TLSRequired on|TLSLog %6|")
            .arg(QString::number(listeningPort), peer(QStringLiteral("usr/lib/proftpd")),
                 in("scoreboard"), in("proftpd.pid"), in("system.log"), in("tls.log")) +
        QStringLiteral("TLSProtocol %1|TLSRSACertificateFile %2|TLSRSACertificateKeyFile %3|"
                       "<Anonymous %4>|User ftp|Group nogroup|UserAlias anonymous ftp|"
                       "<Directory incoming>|<Limit WRITE>|AllowAll|</Limit>|</Directory>|"
                       "</Anonymous>")
            .arg(options.protocols, options.certificate, options.key, root());
    const QString config = in("proftpd.conf");
    failure = ServerProcess::writeConfig(config, QString(lines).replace('|', '\n').toUtf8() + '\n');
    // Its libraries come from the same unpacked packages.
    if (failure.isEmpty())
        failure = process.startListening(
            QStringLiteral("ProFTPD"), QStringLiteral("/usr/bin/env"),
            {"LD_LIBRARY_PATH=" + peer(QStringLiteral("usr/lib/x86_64-linux-gnu")),
             peer(QStringLiteral("usr/sbin/proftpd")), QStringLiteral("-n"), QStringLiteral("-c"),
             config},
            listeningPort);
    return failure.isEmpty();
}
