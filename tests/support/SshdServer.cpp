#include "SshdServer.h"

#include <pwd.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include "LoopbackPort.h"
#include "TestFiles.h"

namespace {

const char* const kSshd = "/usr/sbin/sshd";

} // namespace

SshdServer::SshdServer(const QString& subsystem)
    : subsystem(subsystem)
{
    QDir(folder.path()).mkpath(QStringLiteral("root"));
}

QString SshdServer::user() const
{
    const passwd* record = getpwuid(geteuid());
    return record ? QString::fromLocal8Bit(record->pw_name) : QString();
}

QString SshdServer::keyFileWithPassphrase(const QString& passphrase)
{
    const QString protectedKey = folder.filePath(QStringLiteral("client_protected"));
    if (!QFileInfo::exists(protectedKey)) {
        QFile::copy(keyFile(), protectedKey);
        QFile::setPermissions(protectedKey, QFile::ReadOwner | QFile::WriteOwner);
        ServerProcess::run(QStringLiteral("ssh-keygen"),
                           {"-q", "-p", "-P", "", "-N", passphrase, "-f", protectedKey});
    }
    return protectedKey;
}

QString SshdServer::knownHostsLine() const
{
    const QList<QByteArray> words =
        readFile(folder.filePath(QStringLiteral("host_ed25519.pub"))).trimmed().split(' ');
    if (words.size() < 2)
        return QString();
    return QStringLiteral("[127.0.0.1]:%1 %2 %3")
        .arg(listeningPort)
        .arg(QString::fromLatin1(words[0]), QString::fromLatin1(words[1]));
}

QUrl SshdServer::url(const QString& path) const
{
    QString full = root() + path;
    return QUrl(QStringLiteral("sftp://127.0.0.1:%1").arg(listeningPort) +
                    QString::fromLatin1(QUrl::toPercentEncoding(full, "/")),
                QUrl::StrictMode);
}

bool SshdServer::start()
{
    if (!QFileInfo(QString::fromLatin1(kSshd)).isExecutable()) {
        failure = QStringLiteral("sshd is not installed (openssh-server)");
        return false;
    }
    const QString hostKey = folder.filePath(QStringLiteral("host_ed25519"));
    if (!ServerProcess::run(QStringLiteral("ssh-keygen"),
                            {"-q", "-t", "ed25519", "-N", "", "-f", hostKey}) ||
        !ServerProcess::run(QStringLiteral("ssh-keygen"), {"-q", "-t", "ed25519", "-N", "", "-C",
                                                           "tandrel-test", "-f", keyFile()})) {
        failure = QStringLiteral("ssh-keygen could not make the keys (openssh-client)");
        return false;
    }
    QFile::copy(keyFile() + QStringLiteral(".pub"),
                folder.filePath(QStringLiteral("authorized_keys")));
    // SHA256 of the key blob, base64 without padding: what ssh-keygen -lf prints.
    const QByteArray blob =
        QByteArray::fromBase64(readFile(hostKey + QStringLiteral(".pub")).split(' ').value(1));
    fingerprint = QStringLiteral("SHA256:") +
                  QString::fromLatin1(QCryptographicHash::hash(blob, QCryptographicHash::Sha256)
                                          .toBase64(QByteArray::OmitTrailingEquals));

    listeningPort = LoopbackPort::pickFree();
    // StrictModes no: the temporary folder's parents are not the user's home.
    const QString settings =
        QStringLiteral("ListenAddress 127.0.0.1\nPort %1\nHostKey %2\nAuthorizedKeysFile %3\n"
                       "PidFile none\nUsePAM no\nStrictModes no\nPermitRootLogin yes\n"
                       "PasswordAuthentication yes\nKbdInteractiveAuthentication no\n"
                       "Subsystem sftp %4\nLogLevel VERBOSE\n")
            .arg(QString::number(listeningPort), hostKey,
                 folder.filePath(QStringLiteral("authorized_keys")), subsystem);
    const QString config = folder.filePath(QStringLiteral("sshd_config"));
    failure = ServerProcess::writeConfig(config, settings.toUtf8());
    // sshd as root wants its privilege separation folder, which only its package's service
    // would otherwise make.
    if (geteuid() == 0)
        QDir().mkpath(QStringLiteral("/run/sshd"));
    if (failure.isEmpty())
        failure = process.startListening(QStringLiteral("sshd"), QString::fromLatin1(kSshd),
                                         {"-D", "-e", "-f", config}, listeningPort);
    return failure.isEmpty();
}
