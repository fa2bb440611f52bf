#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include "ServerProcess.h"

// A real FTP server for tests: tests/support/ftpserver.py (pyftpdlib, run by /usr/bin/python3)
// on loopback (127.0.0.1 unless told) and a port it picks itself, serving a fresh temporary folder.
class FtpServer final
{
public:
    // Each option sets the ftpserver.py flag of its name, whose --help says what it does.
    struct Options
    {
        bool anonymous = true;                      // --anonymous-write
        QString host = QStringLiteral("127.0.0.1"); // or "::1"
        QString user;
        QString password;
        QStringList readOnlyFolders;
        QString refuseSuffix;
        QString dropSuffix;
        QString hangSuffix;
        QString shortSuffix;
        bool noEpsv = false;
        QString pasvAddress;
        QString listingFile; // --listing
        bool listingPaced = false;
        bool refuseActive = false;
        bool silentDele = false;
        QString noSize;
        QString openingSize;
        bool refuseRest = false; // REST is logged whatever the level
        bool noMdtm = false;
        int maxConnections = 0; // 0: no limit
        bool verbose = false;   // log() then shows every command and reply
    };

    FtpServer();
    explicit FtpServer(const Options& options);
    // No anonymous login; one user whose name and password hold URL-reserved characters.
    static Options loginOnly();

    // Starts the server and waits, bounded, until it names its port; false with the reason in
    // log() when it does not.
    bool start();
    quint16 port() const { return listeningPort; }

    QString root() const { return folder.path(); }
    // The local path of a file below the root.
    QString localPath(const QString& relative) const { return QDir(root()).filePath(relative); }
    // The host as a URL names it: "127.0.0.1" or "[::1]".
    QString urlHost() const;
    // ftp://<urlHost>:<port> followed by path (escaped as given), which begins with "/".
    QUrl url(const QString& path = QStringLiteral("/")) const;

    // Control connections the server has accepted so far.
    int connections() const
    {
        return static_cast<int>(process.output().count(QLatin1String("\nCONNECT ")));
    }
    // What the server printed, for failure messages.
    QString log() const { return process.output() + process.errors(); }
    // The server's own log: logins and transfers, every command and reply when verbose.
    QString commandLog() const { return process.errors(); }

    void stop() { process.stop(); }
    void kill() { process.kill(); }
    void suspend() { process.suspend(); }
    void resume() { process.resume(); }

    Q_DISABLE_COPY_MOVE(FtpServer)

private:
    Options options;
    QTemporaryDir folder;
    ServerProcess process;
    quint16 listeningPort = 0;
};
