#include "ServerProcess.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <QDir>
#include <QFile>
#include <QThread>

#include "LoopbackPort.h"

extern char** environ;

namespace {

// Starts program with stdin from /dev/null and stdout and stderr into the files named (created
// 0600, or /dev/null); 0 or the errno of the failure.
int spawn(const QString& program, const QStringList& arguments, const QByteArray& out,
          const QByteArray& err, pid_t* pid)
{
    QList<QByteArray> words{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        words.append(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int rc = posix_spawnp(pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc;
}

} // namespace

bool ServerProcess::start(const QString& program, const QStringList& arguments)
{
    if (child > 0)
        return false;
    pid_t pid = -1;
    if (spawn(program, arguments, QFile::encodeName(work.filePath(QStringLiteral("stdout.log"))),
              QFile::encodeName(work.filePath(QStringLiteral("stderr.log"))), &pid) != 0)
        return false;
    child = pid;
    suspended = false;
    return true;
}

bool ServerProcess::run(const QString& program, const QStringList& arguments)
{
    pid_t pid = -1;
    int status = 0;
    return spawn(program, arguments, "/dev/null", "/dev/null", &pid) == 0 &&
           ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

QString ServerProcess::startListening(const QString& name, const QString& program,
                                      const QStringList& arguments, quint16 port,
                                      const QString& host)
{
    if (!start(program, arguments))
        return name + QStringLiteral(" did not start");
    if (LoopbackPort::waitUntilListening(port, 5000, host) && isRunning())
        return QString();
    const QString why = QStringLiteral("%1 did not listen: %2").arg(name, output() + errors());
    stop();
    return why;
}

QString ServerProcess::runAndRead(const QString& program, const QStringList& arguments,
                                  int timeoutMs)
{
    ServerProcess process;
    if (process.start(program, arguments) && !process.waitForEnd(timeoutMs))
        process.kill();
    return process.output() + process.errors();
}

QString ServerProcess::writeConfig(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
        return QString();
    return QStringLiteral("cannot write %1").arg(path);
}

void ServerProcess::openToOthers(const QStringList& folders)
{
    for (const QString& folder : folders)
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                          QFile::ExeOther);
}

bool ServerProcess::ended() const
{
    if (child <= 0)
        return true;
    int status = 0;
    if (::waitpid(child, &status, WNOHANG) == 0)
        return false;
    child = -1;
    return true;
}

bool ServerProcess::waitForEnd(int msecs)
{
    for (int waited = 0; waited < msecs; waited += 10) {
        if (ended())
            return true;
        QThread::msleep(10);
    }
    return ended();
}

void ServerProcess::stop()
{
    if (!isRunning())
        return;
    resume();
    const pid_t pid = child;
    ::kill(pid, SIGTERM);
    if (!waitForEnd(3000)) {
        ::kill(pid, SIGKILL);
        waitForEnd(3000);
    }
}

void ServerProcess::kill()
{
    if (!isRunning())
        return;
    ::kill(child, SIGKILL);
    waitForEnd(3000);
}

QList<qint64> ServerProcess::sessions() const
{
    QList<qint64> found;
    QList<qint64> parents{child};
    for (int depth = 0; depth < 3 && !parents.isEmpty(); ++depth) {
        QList<qint64> children;
        for (qint64 parent : parents)
            for (const QByteArray& id :
                 readFile(QStringLiteral("/proc/%1/task/%1/children").arg(parent)).split(' '))
                if (id.trimmed().toLongLong() > 0)
                    children.append(id.trimmed().toLongLong());
        found += children;
        parents = children;
    }
    return found;
}

void ServerProcess::killAll(const QList<qint64>& ids)
{
    for (qint64 id : ids)
        ::kill(static_cast<pid_t>(id), SIGKILL);
    for (qint64 id : ids) {
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(id));
        for (int wait = 0; wait < 200 && fds.exists() && !fds.isEmpty(); ++wait)
            QThread::msleep(10);
    }
}

void ServerProcess::stopWithSessions()
{
    const QList<qint64> ids = sessions();
    stop();
    killAll(ids);
}

void ServerProcess::suspend()
{
    if (isRunning() && !suspended) {
        ::kill(child, SIGSTOP);
        suspended = true;
    }
}

void ServerProcess::resume()
{
    if (isRunning() && suspended) {
        ::kill(child, SIGCONT);
        suspended = false;
    }
}
