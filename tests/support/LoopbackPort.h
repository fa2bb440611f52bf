#pragma once

#include <QString>
#include <QUrl>
#include <QtGlobal>

// Ports on 127.0.0.1 for helper servers that cannot pick their own.
namespace LoopbackPort {

// A port nothing listens on right now (bound to 127.0.0.1:0 and let go again).
quint16 pickFree();

// Whether something accepts connections on the port within timeoutMs.
bool waitUntilListening(quint16 port, int timeoutMs,
                        const QString& host = QStringLiteral("127.0.0.1"));

// ftp://host:port followed by path (escaped as given), which begins with "/"; host as a URL
// names it ("127.0.0.1", "[::1]").
inline QUrl ftpUrl(quint16 port, const QString& path, const QString& host = "127.0.0.1")
{
    return QUrl(QStringLiteral("ftp://%1:%2%3").arg(host).arg(port).arg(path), QUrl::StrictMode);
}

} // namespace LoopbackPort
