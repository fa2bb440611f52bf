#include "VsftpdServer.h"

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "LoopbackPort.h"

namespace {

const char* const kVsftpd = "/usr/sbin/vsftpd";

} // namespace

VsftpdServer::VsftpdServer()
{
    // vsftpd serves the anonymous root as the unprivileged "ftp" user and chroots its helper
    // into an empty folder: both must be readable by others and not writable by them.
    QDir(folder.path()).mkpath(QStringLiteral("root"));
    QDir(folder.path()).mkpath(QStringLiteral("empty"));
    const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                      QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    QFile::setPermissions(folder.path(), open);
    QFile::setPermissions(root(), open);
    QFile::setPermissions(folder.filePath(QStringLiteral("empty")), open);
}

VsftpdServer::~VsftpdServer()
{
    stop();
}

void VsftpdServer::stop()
{
    // vsftpd forks one process per connection (and a helper for each); each is ended by its id.
    QList<qint64> sessions;
    QList<qint64> parents{process.pid()};
    for (int depth = 0; depth < 3 && !parents.isEmpty(); ++depth) {
        QList<qint64> children;
        for (qint64 parent : parents) {
            QFile list(QStringLiteral("/proc/%1/task/%1/children").arg(parent));
            if (list.open(QIODevice::ReadOnly))
                for (const QByteArray& id : list.readAll().split(' '))
                    if (id.trimmed().toLongLong() > 0)
                        children.append(id.trimmed().toLongLong());
        }
        sessions += children;
        parents = children;
    }
    process.stop();
    for (qint64 id : sessions)
        ::kill(static_cast<pid_t>(id), SIGKILL);
    // Until their sockets are closed, a client may still take a cached connection for alive.
    for (qint64 id : sessions) {
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(id));
        for (int wait = 0; wait < 200 && fds.exists() && !fds.isEmpty(); ++wait)
            usleep(10000);
    }
}

QString VsftpdServer::root() const
{
    return folder.filePath(QStringLiteral("root"));
}

QString VsftpdServer::localPath(const QString& relative) const
{
    return QDir(root()).filePath(relative);
}

QUrl VsftpdServer::url(const QString& path) const
{
    return QUrl(QStringLiteral("ftp://127.0.0.1:%1%2").arg(listeningPort).arg(path),
                QUrl::StrictMode);
}

bool VsftpdServer::start(const Options& options)
{
    if (!QFileInfo(QString::fromLatin1(kVsftpd)).isExecutable()) {
        failure = QStringLiteral("vsftpd is not installed");
        return false;
    }
    if (geteuid() != 0) {
        failure = QStringLiteral("vsftpd needs root to start");
        return false;
    }
    listeningPort = LoopbackPort::pickFree();
    const QString config = folder.filePath(QStringLiteral("vsftpd.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
        failure = QStringLiteral("cannot write %1").arg(config);
        return false;
    }
    file.write(QStringLiteral("listen=YES\n"
                              "listen_ipv6=NO\n"
                              "listen_address=127.0.0.1\n"
                              "listen_port=%1\n"
                              "background=NO\n"
                              "anonymous_enable=YES\n"
                              "no_anon_password=YES\n"
                              "anon_root=%2\n"
                              "local_enable=NO\n"
                              "secure_chroot_dir=%3\n"
                              "seccomp_sandbox=NO\n"
                              "pasv_enable=YES\n"
                              "connect_from_port_20=NO\n"
                              "xferlog_enable=NO\n"
                              "syslog_enable=NO\n")
                   .arg(listeningPort)
                   .arg(root(), folder.filePath(QStringLiteral("empty")))
                   .toUtf8());
    if (options.writable) {
        // The anonymous root itself must not be writable for vsftpd to serve it.
        const QString incoming = localPath(QStringLiteral("incoming"));
        QDir().mkpath(incoming);
        if (const passwd* ftp = getpwnam("ftp"))
            (void)chown(incoming.toLocal8Bit().constData(), ftp->pw_uid, ftp->pw_gid);
        file.write("write_enable=YES\nanon_upload_enable=YES\nanon_mkdir_write_enable=YES\n"
                   "anon_other_write_enable=YES\nanon_umask=022\n");
    } else {
        file.write("write_enable=NO\n");
    }
    if (!options.certificate.isEmpty())
        file.write(QStringLiteral("ssl_enable=YES\nallow_anon_ssl=YES\n"
                                  "force_anon_logins_ssl=YES\nforce_anon_data_ssl=YES\n"
                                  "require_ssl_reuse=YES\nssl_ciphers=HIGH\n"
                                  "implicit_ssl=%1\nrsa_cert_file=%2\nrsa_private_key_file=%3\n")
                       .arg(options.implicitTls ? QStringLiteral("YES") : QStringLiteral("NO"),
                            options.certificate, options.key)
                       .toUtf8());
    file.close();
    // vsftpd refuses a configuration file that others may write.
    QFile::setPermissions(config, QFile::ReadOwner | QFile::WriteOwner);

    if (!process.start(QString::fromLatin1(kVsftpd), {config})) {
        failure = QStringLiteral("vsftpd did not start");
        return false;
    }
    if (!LoopbackPort::waitUntilListening(listeningPort, 5000) || !process.isRunning()) {
        failure =
            QStringLiteral("vsftpd did not listen: %1").arg(process.output() + process.errors());
        process.stop();
        return false;
    }
    return true;
}
