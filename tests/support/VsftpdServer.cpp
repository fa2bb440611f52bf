#include "VsftpdServer.h"

#include <pwd.h>
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
    ServerProcess::openToOthers({folder.path(), root(), folder.filePath(QStringLiteral("empty"))});
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
    listeningPort = options.port ? options.port : LoopbackPort::pickFree();
    listeningAddress = options.address;
    // The settings as "key=value"; the fixed ones are written space-separated.
    QStringList settings;
    const auto add = [&settings](const char* fixed) {
        settings += QString::fromLatin1(fixed).split(QLatin1Char(' '));
    };
    add("listen=YES listen_ipv6=NO background=NO seccomp_sandbox=NO "
        "pasv_enable=YES connect_from_port_20=NO xferlog_enable=NO syslog_enable=NO");
    settings << "listen_address=" + listeningAddress
             << QStringLiteral("listen_port=%1").arg(listeningPort)
             << "secure_chroot_dir=" + folder.filePath(QStringLiteral("empty"));
    add("anonymous_enable=YES no_anon_password=YES local_enable=NO");
    settings << "anon_root=" + root();
    if (options.writable) {
        // The anonymous root itself must not be writable for vsftpd to serve it.
        const QString incoming = localPath(QStringLiteral("incoming"));
        QDir().mkpath(incoming);
        if (const passwd* ftp = getpwnam("ftp"))
            (void)chown(incoming.toLocal8Bit().constData(), ftp->pw_uid, ftp->pw_gid);
        add("write_enable=YES anon_upload_enable=YES anon_mkdir_write_enable=YES "
            "anon_other_write_enable=YES anon_umask=022");
    } else {
        add("write_enable=NO");
    }
    if (!options.certificate.isEmpty()) {
        add("ssl_enable=YES allow_anon_ssl=YES force_anon_logins_ssl=YES force_anon_data_ssl=YES "
            "require_ssl_reuse=YES ssl_ciphers=HIGH");
        add(options.implicitTls ? "implicit_ssl=YES" : "implicit_ssl=NO");
        settings << "rsa_cert_file=" + options.certificate << "rsa_private_key_file=" + options.key;
    }
    const QString config = folder.filePath(QStringLiteral("vsftpd.conf"));
    failure = ServerProcess::writeConfig(config, settings.join('\n').toUtf8() + '\n');
    if (!failure.isEmpty())
        return false;
    // vsftpd refuses a configuration file that others may write.
    QFile::setPermissions(config, QFile::ReadOwner | QFile::WriteOwner);

    // vsftpd has no setting for the TLS version: OpenSSL's own configuration caps it.
    QStringList command{QString::fromLatin1(kVsftpd), config};
    if (options.tls12Only) {
        const QString openssl = folder.filePath(QStringLiteral("openssl.cnf"));
        failure = ServerProcess::writeConfig(
            openssl, "openssl_conf = init\n[init]\nssl_conf = ssl\n[ssl]\n"
                     "system_default = tls\n[tls]\nMaxProtocol = TLSv1.2\n");
        if (!failure.isEmpty())
            return false;
        command = QStringList{QStringLiteral("/usr/bin/env"), "OPENSSL_CONF=" + openssl} + command;
    }
    failure = process.startListening(QStringLiteral("vsftpd"), command.takeFirst(), command,
                                     listeningPort, listeningAddress);
    return failure.isEmpty();
}
