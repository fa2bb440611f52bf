#pragma once

#include <sys/types.h>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "TestFiles.h"

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
    // Runs program to its end (killed past timeoutMs); what it printed, output then errors.
    static QString runAndRead(const QString& program, const QStringList& arguments,
                              int timeoutMs = 120000);
    // Starts program and waits, bounded, until something listens on host:port; otherwise stops
    // it. Why it failed, in words naming the server, or nothing.
    QString startListening(const QString& name, const QString& program,
                           const QStringList& arguments, quint16 port,
                           const QString& host = QStringLiteral("127.0.0.1"));
    // Writes a server's configuration file; why it could not, or nothing.
    static QString writeConfig(const QString& path, const QByteArray& bytes);
    // Opens folders to others (read and enter, not write), as servers that drop their
    // privileges to serve them need.
    static void openToOthers(const QStringList& folders);
    bool isRunning() const { return !ended(); }
    qint64 pid() const { return child; }
    QString output() const { return QString::fromUtf8(readFile(work.filePath("stdout.log"))); }
    QString errors() const { return QString::fromUtf8(readFile(work.filePath("stderr.log"))); }
    // The folder beside the log files, for configuration files.
    QString workFolder() const { return work.path(); }

    // SIGTERM, and SIGKILL when that does not end it within a few seconds.
    void stop();
    // SIGKILL at once: a server that dies mid-transfer.
    void kill();
    // SIGKILL to the processes it forked for open connections, which it keeps listening: the
    // server drops every connection. Until their sockets are closed, a client may still take a
    // cached connection for alive, so it waits (bounded) for them to close.
    void dropSessions() { killAll(sessions()); }
    // stop(), and then the session processes too, so that the next connection to this port
    // meets whatever server starts next.
    void stopWithSessions();
    // SIGSTOP and SIGCONT: a server that stops answering, and comes back.
    void suspend();
    void resume();

    Q_DISABLE_COPY_MOVE(ServerProcess)

private:
    // Whether it ran and has ended; reaps it when it has.
    bool ended() const;
    bool waitForEnd(int msecs);
    // The processes below it, children before grandchildren.
    QList<qint64> sessions() const;
    static void killAll(const QList<qint64>& ids);

    QTemporaryDir work;
    mutable pid_t child = -1;
    bool suspended = false;
};
