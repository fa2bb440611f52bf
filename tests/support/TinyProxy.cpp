#include "TinyProxy.h"

#include <QDir>
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
    // No ConnectPort line: CONNECT may reach any port, the FTP data ports included.
    failure = ServerProcess::writeConfig(
        config, QStringLiteral("Port %1\nListen 127.0.0.1\nTimeout 60\nAllow 127.0.0.1\n"
                               "BasicAuth %2 %3\nMaxClients 50\nLogLevel Info\n")
                    .arg(listeningPort)
                    .arg(user, password)
                    .toUtf8());
    if (failure.isEmpty())
        failure = process.startListening(QStringLiteral("tinyproxy"), program,
                                         {QStringLiteral("-d"), QStringLiteral("-c"), config},
                                         listeningPort);
    return failure.isEmpty();
}
