#pragma once

#include <QString>

#include "ServerProcess.h"
#include "platform/ftp/FtpStream.h"

// A real HTTP proxy for tests: /usr/bin/tinyproxy in the foreground with a configuration of its
// own (127.0.0.1, a free port, Basic authentication, CONNECT to any port), never the system's
// service.
class TinyProxy final
{
public:
    TinyProxy(const QString& user, const QString& password)
        : user(user)
        , password(password)
    {}

    bool start();
    QString problem() const { return failure; }
    quint16 port() const { return listeningPort; }
    QString log() const { return process.output() + process.errors(); }

    void stop() { process.stop(); }
    // properties with this proxy and its login added.
    FtpStreamProperties carrying(FtpStreamProperties properties) const
    {
        properties[FtpStreamProperty::kCFStreamPropertyFTPProxyHost] = "127.0.0.1";
        properties[FtpStreamProperty::kCFStreamPropertyFTPProxyPort] =
            QString::number(listeningPort);
        properties[FtpStreamProperty::kCFStreamPropertyFTPProxyUser] = user;
        properties[FtpStreamProperty::kCFStreamPropertyFTPProxyPassword] = password;
        return properties;
    }

    Q_DISABLE_COPY_MOVE(TinyProxy)

private:
    QString user;
    QString password;
    ServerProcess process;
    quint16 listeningPort = 0;
    QString failure;
};
