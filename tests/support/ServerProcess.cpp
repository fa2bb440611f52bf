#include "ServerProcess.h"

#include <csignal>

#include <QFile>

namespace {

QString readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

ServerProcess::ServerProcess()
{
    process.setStandardOutputFile(work.filePath(QStringLiteral("stdout.log")));
    process.setStandardErrorFile(work.filePath(QStringLiteral("stderr.log")));
}

ServerProcess::~ServerProcess()
{
    stop();
}

bool ServerProcess::start(const QString& program, const QStringList& arguments)
{
    process.start(program, arguments);
    return process.waitForStarted(5000);
}

bool ServerProcess::isRunning() const
{
    return process.state() == QProcess::Running;
}

qint64 ServerProcess::pid() const
{
    return process.processId();
}

QString ServerProcess::output() const
{
    return readAll(work.filePath(QStringLiteral("stdout.log")));
}

QString ServerProcess::errors() const
{
    return readAll(work.filePath(QStringLiteral("stderr.log")));
}

void ServerProcess::stop()
{
    if (!isRunning())
        return;
    resume();
    ::kill(static_cast<pid_t>(pid()), SIGTERM);
    if (!process.waitForFinished(3000)) {
        ::kill(static_cast<pid_t>(pid()), SIGKILL);
        process.waitForFinished(3000);
    }
}

void ServerProcess::kill()
{
    if (!isRunning())
        return;
    ::kill(static_cast<pid_t>(pid()), SIGKILL);
    process.waitForFinished(3000);
}

void ServerProcess::suspend()
{
    if (isRunning() && !suspended) {
        ::kill(static_cast<pid_t>(pid()), SIGSTOP);
        suspended = true;
    }
}

void ServerProcess::resume()
{
    if (isRunning() && suspended) {
        ::kill(static_cast<pid_t>(pid()), SIGCONT);
        suspended = false;
    }
}
