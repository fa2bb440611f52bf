#include "platform/SingleInstance.h"

#include <QDir>
#include <QLocalSocket>

#include "platform/Log.h"

namespace {

// A link is one line; a peer sending more than this is not a Tandrel.
constexpr qint64 kMaxLine = 64 * 1024;

} // namespace

SingleInstance::SingleInstance(QObject* parent)
    : QObject(parent)
{
    connect(&server, &QLocalServer::newConnection, this, &SingleInstance::takeConnection);
}

QString SingleInstance::socketPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QDir(runtime).exists())
        return QString();
    return runtime + QStringLiteral("/tandrel.socket");
}

bool SingleInstance::handOver(const QString& link)
{
    const QString path = socketPath();
    if (path.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(1000))
        return false;
    socket.write(link.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(1000))
        return false;
    // The running Tandrel answers once it has the link.
    return socket.waitForReadyRead(2000) && socket.readLine(16).startsWith("ok");
}

bool SingleInstance::listen()
{
    const QString path = socketPath();
    if (path.isEmpty())
        return false;
    // A Tandrel that answers there keeps taking the links (this one was started without one).
    // Qt would replace its socket, not refuse it. /* BLOCKING */ at most 0.5 s, before the
    // window shows.
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(500))
        return false;
    server.setSocketOptions(QLocalServer::UserAccessOption);
    if (server.listen(path))
        return true;
    // A socket no Tandrel answers on is left from one that ended.
    if (server.serverError() == QAbstractSocket::AddressInUseError) {
        QLocalServer::removeServer(path);
        if (server.listen(path))
            return true;
    }
    Log::line(QStringLiteral("Links cannot be taken on %1: %2").arg(path, server.errorString()));
    return false;
}

void SingleInstance::takeConnection()
{
    while (QLocalSocket* socket = server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                const QString link = QString::fromUtf8(socket->readLine(kMaxLine)).trimmed();
                socket->write("ok\n");
                socket->flush();
                emit linkReceived(link);
            }
            if (socket->bytesAvailable() > kMaxLine)
                socket->abort();
        });
    }
}
