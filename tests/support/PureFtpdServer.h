#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include "LoopbackPort.h"
#include "ServerProcess.h"

// pure-ftpd, unpacked from Debian's package by scripts/fetch-peers.sh into the build's peers
// folder, run in the foreground on 127.0.0.1 and a free port with TLS required for every login
// (--tls=2): it refuses a clear-text USER with 421.
class PureFtpdServer final
{
public:
    PureFtpdServer() = default;
    ~PureFtpdServer() { process.stop(); }

    // Why it cannot run here (not unpacked, not root), or nothing: tests skip then.
    static QString whyUnavailable();
    // certificate and key: PEM files.
    bool start(const QString& certificate, const QString& key);
    QString problem() const { return failure; }
    QUrl url(const QString& path) const { return LoopbackPort::ftpUrl(listeningPort, path); }

    Q_DISABLE_COPY_MOVE(PureFtpdServer)

private:
    QTemporaryDir folder;
    ServerProcess process;
    quint16 listeningPort = 0;
    QString failure;
};
