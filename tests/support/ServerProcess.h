#pragma once

#include <sys/types.h>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A helper server (FTP server, proxy) run by a test: its standard output and error go to files,
// so that a busy server never blocks on a full pipe while the test does not read, and it is
// stopped by its process id, never by name. Started with posix_spawn rather than QProcess, whose
// child runs Qt code in the test's own memory before exec (clone with CLONE_VM) and so corrupts
// ThreadSanitizer's view of the test's threads.
class ServerProcess final
{
public:
    ServerProcess() = default;
    ~ServerProcess() { stop(); }

    bool start(const QString& program, const QStringList& arguments);
    // Runs program to its end, its output dropped; true when it exited with 0.
    static bool run(const QString& program, const QStringList& arguments);
    // Starts program and waits, bounded, until something listens on host:port; otherwise stops
    // it. Why it failed, in words naming the server, or nothing.
    QString startListening(const QString& name, const QString& program,
                           const QStringList& arguments, quint16 port,
                           const QString& host = QStringLiteral("127.0.0.1"));
    // Writes a server's configuration file; why it could not, or nothing.
    static QString writeConfig(const QString& path, const QByteArray& bytes);
    bool isRunning() const { return !ended(); }
    qint64 pid() const { return child; }
    QString output() const { return readLog("stdout.log"); }
    QString errors() const { return readLog("stderr.log"); }
    // The folder beside the log files, for configuration files.
    QString workFolder() const { return work.path(); }

    // SIGTERM, and SIGKILL when that does not end it within a few seconds.
    void stop();
    // SIGKILL at once: a server that dies mid-transfer.
    void kill();
    // SIGSTOP and SIGCONT: a server that stops answering, and comes back.
    void suspend();
    void resume();

    Q_DISABLE_COPY_MOVE(ServerProcess)

private:
    // Whether it ran and has ended; reaps it when it has.
    bool ended() const;
    bool waitForEnd(int msecs);
    QString readLog(const char* name) const;

    QTemporaryDir work;
    mutable pid_t child = -1;
    bool suspended = false;
};
