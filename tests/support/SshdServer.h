#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include "ServerProcess.h"

// An SFTP server for tests: OpenSSH's /usr/sbin/sshd in the foreground (-D -e) with a
// configuration, an ed25519 host key and an authorized-keys file of its own in a temporary
// folder, on 127.0.0.1 at a free port, serving SFTP through internal-sftp; never the system's
// service. The user running the tests logs in with a throwaway key made for the run.
class SshdServer final
{
public:
    // subsystem: how sshd serves SFTP ("internal-sftp", or a command line).
    explicit SshdServer(const QString& subsystem = QStringLiteral("internal-sftp"));
    ~SshdServer() { stop(); }

    bool start();
    // Why start() failed.
    QString problem() const { return failure; }
    quint16 port() const { return listeningPort; }
    bool isRunning() const { return process.isRunning(); }
    QString log() const { return process.output() + process.errors(); }

    // The user who logs in, and the private key (OpenSSH format, no passphrase) that lets it.
    QString user() const;
    QString keyFile() const { return folder.filePath(QStringLiteral("client_ed25519")); }
    // A copy of the key protected by passphrase, made on first use.
    QString keyFileWithPassphrase(const QString& passphrase);
    // The host key's fingerprint as `ssh-keygen -lf` prints it ("SHA256:..."), and its
    // known_hosts line ("[127.0.0.1]:port ssh-ed25519 AAAA...").
    QString hostKeyFingerprint() const { return fingerprint; }
    QString knownHostsLine() const;

    // The folder the tests serve, and sftp URLs below it (absolute paths).
    QString root() const { return folder.filePath(QStringLiteral("root")); }
    QString localPath(const QString& relative) const { return QDir(root()).filePath(relative); }
    QUrl url(const QString& path = QStringLiteral("/")) const;

    // Stops sshd and the session processes it forked for open connections.
    void stop() { process.stopWithSessions(); }
    // Kills the session processes of open connections at once, sshd itself listening on: the
    // server drops every connection mid-transfer.
    void dropConnections() { process.dropSessions(); }
    // ServerProcess::run, under the name the SFTP suites know.
    static bool run(const QString& program, const QStringList& arguments)
    {
        return ServerProcess::run(program, arguments);
    }

    Q_DISABLE_COPY_MOVE(SshdServer)

private:
    QTemporaryDir folder; // configuration, keys, and the served root
    ServerProcess process;
    quint16 listeningPort = 0;
    QString fingerprint;
    QString failure;
    QString subsystem;
};
