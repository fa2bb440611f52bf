#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

// One window per user for links: the running Tandrel listens on a local socket in
// $XDG_RUNTIME_DIR, a folder private to the user; a Tandrel started later with a link hands the
// link over and ends. Without $XDG_RUNTIME_DIR every start opens a window of its own.
class SingleInstance final : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(QObject* parent = nullptr);

    // $XDG_RUNTIME_DIR/tandrel.socket, or "" when there is no such folder.
    static QString socketPath();
    // Hands the link to a running Tandrel and answers whether one took it. Runs before the
    // window exists, so it may wait: /* BLOCKING */ at most about 3 s for a Tandrel that hangs.
    static bool handOver(const QString& link);
    // Starts taking links; false when another Tandrel does or the socket cannot be made.
    bool listen();

signals:
    void linkReceived(const QString& link);

private:
    void takeConnection();

    QLocalServer server;
};
