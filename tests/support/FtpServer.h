#pragma once

#include <functional>

#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include "LoopbackPort.h"
#include "ServerProcess.h"

// A real FTP server for tests: tests/support/ftpserver.py (pyftpdlib, run by /usr/bin/python3)
// on loopback (127.0.0.1 unless told) and a port it picks itself, serving a fresh temporary folder.
class FtpServer final
{
public:
    struct Options
    {
        bool anonymous = true; // and may write
        // The loopback address listened on: "127.0.0.1" or "::1".
        QString host = QStringLiteral("127.0.0.1");
        // A named user who may write, when user is not empty.
        QString user;
        QString password;
        // Folders below the root (made if missing) where nobody may write.
        QStringList readOnlyFolders;
        // Uploads to names ending so are answered 552 once their data is in.
        QString refuseSuffix;
        // Uploads to names ending so are opened (left empty), then aborted with 426.
        QString dropSuffix;
        // Transfers of names ending so never get their final reply (226).
        QString hangSuffix;
        // Downloads of names ending so send half the file, then 226 (SIZE and LIST: the whole).
        QString shortSuffix;
        // The first download of a file of this name sends half of it, then 426.
        QString failOnce;
        // EPSV answered 500, so that clients fall back to PASV.
        bool noEpsv = false;
        // The address PASV replies announce instead of the real one.
        QString pasvAddress;
        // A file whose bytes answer every LIST, as a server with odd listings would send them.
        QString listingFile;
        // Its NUL bytes split it into writes 50 ms apart (and are not sent).
        bool listingPaced = false;
        // PORT and EPRT answered 550, in a text holding an escape character.
        bool refuseActive = false;
        // DELE never answered.
        bool silentDele = false;
        // SIZE refused for names holding noSize; the 150 reply names the size of names holding
        // openingSize.
        QString noSize;
        QString openingSize;
        // REST answered 502: downloads cannot continue a partial file (REST is always logged).
        bool refuseRest = false;
        // MDTM answered 502: a partial file's record gets no modification time.
        bool noMdtm = false;
        // Control connections at once past which the server answers 421 (0: no limit).
        int maxConnections = 0;
        // Log every command and reply (log() shows them).
        bool verbose = false;
    };

    FtpServer();
    explicit FtpServer(const Options& options);
    // With the options that set() changes.
    explicit FtpServer(const std::function<void(Options&)>& set);
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
    QUrl url(const QString& path = "/") const
    {
        return LoopbackPort::ftpUrl(listeningPort, path, urlHost());
    }

    // Control connections the server has accepted so far.
    int connections() const
    {
        return static_cast<int>(process.output().count(QLatin1String("\nCONNECT ")));
    }
    // The most files that moved at once (downloads and uploads over all connections).
    int mostMovingAtOnce() const;
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
