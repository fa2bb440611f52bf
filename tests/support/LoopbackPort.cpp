#include "LoopbackPort.h"

#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace LoopbackPort {

quint16 pickFree()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

bool waitUntilListening(quint16 port, int timeoutMs, const QString& host)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress(host), port);
        if (socket.waitForConnected(200)) {
            socket.abort();
            return true;
        }
        QThread::msleep(50);
    }
    return false;
}

} // namespace LoopbackPort
