#include "TinyProxy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "LoopbackPort.h"

bool TinyProxy::start()
{
    const QString program = QStringLiteral("/usr/bin/tinyproxy");
    if (!QFileInfo(program).isExecutable()) {
        failure = QStringLiteral("tinyproxy is not installed");
        return false;
    }
    listeningPort = LoopbackPort::pickFree();
    const QString config = QDir(process.workFolder()).filePath(QStringLiteral("tinyproxy.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
        failure = QStringLiteral("cannot write %1").arg(config);
        return false;
    }
    // No ConnectPort line: CONNECT may reach any port, the FTP data ports included.
    file.write(
        QStringLiteral("Port %1\nListen 127.0.0.1\nTimeout 60\nAllow 127.0.0.1\nBasicAuth %2 %3\n"
                       "MaxClients 50\nLogLevel Info\n")
            .arg(listeningPort)
            .arg(user, password)
            .toUtf8());
    file.close();
    if (!process.start(program, {QStringLiteral("-d"), QStringLiteral("-c"), config})) {
        failure = QStringLiteral("tinyproxy did not start");
        return false;
    }
    if (!LoopbackPort::waitUntilListening(listeningPort, 5000) || !process.isRunning()) {
        failure = QStringLiteral("tinyproxy did not listen: %1").arg(log());
        process.stop();
        return false;
    }
    return true;
}
