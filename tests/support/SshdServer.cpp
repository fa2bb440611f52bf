#include "SshdServer.h"

#include <algorithm>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include "LoopbackPort.h"

namespace {

const char* const kSshd = "/usr/sbin/sshd";

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The process ids below parent, children before grandchildren.
QList<qint64> descendants(qint64 parent)
{
    QList<qint64> found;
    QList<qint64> parents{parent};
    for (int depth = 0; depth < 3 && !parents.isEmpty(); ++depth) {
        QList<qint64> children;
        for (qint64 id : parents)
            for (const QByteArray& child :
                 readAll(QStringLiteral("/proc/%1/task/%1/children").arg(id)).split(' '))
                if (child.trimmed().toLongLong() > 0)
                    children.append(child.trimmed().toLongLong());
        found += children;
        parents = children;
    }
    return found;
}

// Whether the process still runs (a zombie has closed its sockets).
bool running(qint64 id)
{
    const QByteArray stat = readAll(QStringLiteral("/proc/%1/stat").arg(id));
    const qsizetype end = stat.lastIndexOf(')');
    return end > 0 && stat.size() > end + 2 && stat[end + 2] != 'Z';
}

} // namespace

SshdServer::SshdServer(const QString& subsystem)
    : subsystem(subsystem)
{
    QDir(folder.path()).mkpath(QStringLiteral("root"));
}

SshdServer::~SshdServer()
{
    stop();
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
        run(QStringLiteral("ssh-keygen"),
            {"-q", "-p", "-P", "", "-N", passphrase, "-f", protectedKey});
    }
    return protectedKey;
}

QString SshdServer::knownHostsLine() const
{
    const QList<QByteArray> words =
        readAll(folder.filePath(QStringLiteral("host_ed25519.pub"))).trimmed().split(' ');
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
    if (!run(QStringLiteral("ssh-keygen"), {"-q", "-t", "ed25519", "-N", "", "-f", hostKey}) ||
        !run(QStringLiteral("ssh-keygen"),
             {"-q", "-t", "ed25519", "-N", "", "-C", "tandrel-test", "-f", keyFile()})) {
        failure = QStringLiteral("ssh-keygen could not make the keys (openssh-client)");
        return false;
    }
    QFile::copy(keyFile() + QStringLiteral(".pub"),
                folder.filePath(QStringLiteral("authorized_keys")));
    // SHA256 of the key blob, base64 without padding: what ssh-keygen -lf prints.
    const QByteArray blob =
        QByteArray::fromBase64(readAll(hostKey + QStringLiteral(".pub")).split(' ').value(1));
    fingerprint = QStringLiteral("SHA256:") +
                  QString::fromLatin1(QCryptographicHash::hash(blob, QCryptographicHash::Sha256)
                                          .toBase64(QByteArray::OmitTrailingEquals));

    listeningPort = LoopbackPort::pickFree();
    const QStringList settings = {
        QStringLiteral("ListenAddress 127.0.0.1"),
        QStringLiteral("Port %1").arg(listeningPort),
        "HostKey " + hostKey,
        "AuthorizedKeysFile " + folder.filePath(QStringLiteral("authorized_keys")),
        QStringLiteral("PidFile none"),
        QStringLiteral("UsePAM no"),
        // The temporary folder's parents are not the user's home: no ownership checks.
        QStringLiteral("StrictModes no"),
        QStringLiteral("PermitRootLogin yes"),
        QStringLiteral("PasswordAuthentication yes"),
        QStringLiteral("KbdInteractiveAuthentication no"),
        "Subsystem sftp " + subsystem,
        QStringLiteral("LogLevel VERBOSE"),
    };
    const QString config = folder.filePath(QStringLiteral("sshd_config"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) || file.write(settings.join('\n').toUtf8() + '\n') < 0) {
        failure = QStringLiteral("cannot write %1").arg(config);
        return false;
    }
    file.close();
    // sshd as root wants its privilege separation folder, which only its package's service
    // would otherwise make.
    if (geteuid() == 0)
        QDir().mkpath(QStringLiteral("/run/sshd"));
    if (!process.start(QString::fromLatin1(kSshd), {"-D", "-e", "-f", config})) {
        failure = QStringLiteral("sshd did not start");
        return false;
    }
    if (!LoopbackPort::waitUntilListening(listeningPort, 5000) || !process.isRunning()) {
        failure = QStringLiteral("sshd did not listen: %1").arg(log());
        process.stop();
        return false;
    }
    return true;
}

void SshdServer::stop()
{
    const QList<qint64> sessions = process.pid() > 0 ? descendants(process.pid()) : QList<qint64>();
    process.stop();
    for (qint64 id : sessions)
        ::kill(static_cast<pid_t>(id), SIGKILL);
}

void SshdServer::dropConnections()
{
    const QList<qint64> sessions = process.pid() > 0 ? descendants(process.pid()) : QList<qint64>();
    for (qint64 id : sessions)
        ::kill(static_cast<pid_t>(id), SIGKILL);
    // Until they are gone and their sockets closed: a client that connects again at once must
    // not find its old connection still open.
    for (int waited = 0; waited < 500 && std::any_of(sessions.begin(), sessions.end(), running);
         ++waited)
        ::usleep(10000);
}
