#pragma once

#include <QString>
#include <QtGlobal>

// Ports on 127.0.0.1 for helper servers that cannot pick their own.
namespace LoopbackPort {

// A port nothing listens on right now (bound to 127.0.0.1:0 and let go again).
quint16 pickFree();

// Whether something accepts connections on the port within timeoutMs.
bool waitUntilListening(quint16 port, int timeoutMs,
                        const QString& host = QStringLiteral("127.0.0.1"));

} // namespace LoopbackPort
