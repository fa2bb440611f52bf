#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>

#include <QString>
#include <QUrl>
#include <QVariant>

#include "platform/ftp/ConnectionSecurity.h"

// FTP streams on the Qt main loop (libcurl runs them on a thread of its own; every call and
// every event is on the main thread). A read stream delivers a file's bytes, or for a URL ending
// in "/" the folder's raw listing (LIST; its lines end in CRLF, whatever libcurl's ASCII mode
// made of them on the way); a write stream stores the bytes written as a file, or for a
// URL ending in "/" creates that folder when opened. Events reach the delegate later, through
// the event loop, never from inside open/read/write/close, and never after close or removal.

enum NSStreamEvent : uint64_t
{
    NSStreamEventNone = 0,
    NSStreamEventOpenCompleted = 1,
    NSStreamEventHasBytesAvailable = 2,
    NSStreamEventHasSpaceAvailable = 4,
    NSStreamEventErrorOccurred = 8,
    NSStreamEventEndEncountered = 16,
};

// Properties applied when the stream opens. Texts are QString, the passive switch a bool.
// The login goes to the server as given (an empty user name stays empty); without one, the
// URL's own login is used. Passive defaults to on; active mode (EPRT/PORT on the control
// connection's local address) is used only without a proxy. Any proxy property turns the proxy
// on: ProxyHost is a host, optionally "socks4://", "socks4a://", "socks5://" or "socks5h://"
// (none: an HTTP proxy, tunnelling control and data connections with CONNECT), optionally with
// a port; ProxyPort is a decimal port that wins over it (neither: 1080, libcurl's default);
// ProxyUser and ProxyPassword log in to the proxy. A proxy that cannot be used as given (no
// host, a port that is not a number from 1 to 65535) fails the stream: there is never a quiet
// direct connection instead.
enum class FtpStreamProperty
{
    kCFStreamPropertyFTPUserName,
    kCFStreamPropertyFTPPassword,
    kCFStreamPropertyFTPUsePassiveMode,
    kCFStreamPropertyFTPProxyHost,
    kCFStreamPropertyFTPProxyPort,
    kCFStreamPropertyFTPProxyUser,
    kCFStreamPropertyFTPProxyPassword,
    // An Encryption value (QVariant::fromValue); absent means if-available. TLS options and
    // certificate trust: see TlsPolicy. An sftp:// URL has no TLS and ignores it.
    Encryption,
    // For a file's read stream: a qint64 byte offset to start at (REST), so that a partial file
    // can be completed; 0 or absent starts at the beginning. For a file's write stream: more
    // than 0 appends the bytes written to the remote file (APPE) instead of replacing it.
    FileTransferOffset,
    // For an FTP file's read stream from its start: true asks no SIZE and no MDTM before RETR,
    // for an owner that knows the size from the listing, checks what arrives against it and the
    // 150 reply's size, and keeps no partial file to continue; announcedSize() is then only the
    // latter, and modificationTime() is empty.
    SkipSize,
    // sftp only: the private key file (OpenSSH format) to log in with, and its passphrase.
    // The user's ssh-agent is tried as well, and a password when one is given.
    SshPrivateKeyFile,
    SshKeyPassphrase,
};
using FtpStreamProperties = std::map<FtpStreamProperty, QVariant>;

enum class StreamErrorDomain
{
    None,
    // The server refused: code is its FTP reply code (530, 550, 552, 553, ...).
    FTP,
    // Connection, name resolution, time-out, proxy, local or protocol failure: code is libcurl's.
    Network,
};

struct StreamError
{
    StreamErrorDomain domain = StreamErrorDomain::None;
    int code = 0;
    QString message;
};

class FtpStream;
class FtpStreamPrivate;

class FtpStreamDelegate
{
public:
    virtual ~FtpStreamDelegate() = default;
    // The delegate may close and destroy aStream from inside this call.
    virtual void streamHandleEvent(FtpStream* aStream, NSStreamEvent eventCode) = 0;
};

// Events, always posted and delivered later from the event loop, in order:
//   OpenCompleted  the server accepted the transfer (its 1xx reply to RETR, LIST or STOR, or the
//                  first data); for a folder, MKD succeeded. Always before has-bytes/has-space.
//   HasBytes       bytes wait in the stream; again after each read while some remain; at the
//                  end, one on which read() answers 0. None while the owner does not read.
//   HasSpace       the server accepted the upload and the buffer has room; again after each
//                  write while room remains. Never for a folder.
//   ErrorOccurred  streamError() tells what failed.
//   EndEncountered after read() answered 0, or a folder was created.
class FtpStream final
{
public:
    enum class Direction
    {
        Read,
        Write
    };

    static std::unique_ptr<FtpStream> CFReadStreamCreateWithFTPURL(const QUrl& url);
    static std::unique_ptr<FtpStream> CFWriteStreamCreateWithFTPURL(const QUrl& url);
    ~FtpStream(); // closes the stream if still open

    Direction direction() const;
    QUrl url() const;

    void setProperty(const QVariant& value, FtpStreamProperty key);
    void setDelegate(FtpStreamDelegate* delegate);
    void scheduleInRunLoop();
    void removeFromRunLoop();
    void open();
    // Up to maxLength bytes (> 0), 0 at the end of the data, negative on failure. Called on a
    // has-bytes event it never waits; called without one it waits for bytes like a blocking
    // read, bounded by the no-data time-out (a wait as close's, below).
    int64_t read(char* buffer, int64_t maxLength);
    // Bytes accepted (possibly fewer than offered), negative on failure.
    int64_t write(const char* buffer, int64_t length);
    // Stops the transfer. For an upload, completes the remote file first: a bounded wait for the
    // server's verdict with the event loop running, user input and stream events held meanwhile,
    // over at once when the application quits.
    void close();
    // Stops the transfer at once, without an upload's wait for the server's verdict: what the
    // server stored so far stays there, complete or not.
    void abort();

    // The error after an ErrorOccurred event (or a negative read/write).
    StreamError streamError() const;
    // After close of a write stream: whether the server confirmed the stored file.
    bool serverConfirmed() const;
    // For a file's read stream, from OpenCompleted on: the size the server announced for the
    // file (its SIZE reply, else the "(N bytes)" of its 150 reply); none when it announced none.
    std::optional<int64_t> announcedSize() const;
    // For a file's read stream, from OpenCompleted on: the file's modification time as the
    // server's MDTM reply gave it (YYYYMMDDHHMMSS, UTC, maybe with a fraction); empty when the
    // server gave none.
    QByteArray modificationTime() const;
    // After an ErrorOccurred of a read stream with a FileTransferOffset: whether the server
    // refused to start at the offset (REST), so that only a start from byte 0 can work.
    bool offsetRefused() const;
    // What protected the connection so far (TLS version, how the certificate was trusted) and,
    // after a TLS failure, what the user could decide about it.
    ConnectionSecurity security() const;

    // Bytes held in the stream's buffer now, and the most it ever held: a file's read stream
    // keeps at most 1 MiB, a listing or an upload 256 KiB, however large the file; a read stream
    // pauses the transfer until its owner reads. An SFTP listing is the exception: libcurl
    // cannot pause it, so it holds what its owner has not read yet (up to 512 MiB).
    int64_t bufferedBytes() const;
    int64_t maxBufferedBytes() const;

    // Multiplies every time-out (connect 30 s, server reply 60 s, no data moving 60 s, an
    // upload's final verdict 30 s) by scale; tests shorten them. TANDREL_FTP_TIMEOUT_SCALE in
    // the environment sets the starting value.
    static void setTimeoutScale(double scale);
    // The certificate authorities (a PEM file) that TLS connections trust instead of the
    // system's; empty goes back to the system's. Tests trust their own authority with it.
    static void setCertificateAuthorities(const QString& pemFile);

    Q_DISABLE_COPY_MOVE(FtpStream)

private:
    FtpStream(Direction direction, const QUrl& url);
    std::unique_ptr<FtpStreamPrivate> d;
};

// Deletes the file, or for a URL ending in "/" the folder, that url names. The URL carries the
// login; properties, when given, add passive mode and proxy as for a stream. Waits until the
// server answers, bounded by time-outs, as an upload's close waits for its verdict; true only
// when the server confirmed the deletion.
// error, when given, tells why not (the FTP domain with the reply code of a refusal).
bool CFURLDestroyResource(const QUrl& url, const FtpStreamProperties& properties = {},
                          StreamError* error = nullptr);

// Renames the file, or for a URL ending in "/" the folder, that url names to newName in the same
// folder (RNFR, RNTO), waiting as CFURLDestroyResource does; the login comes from properties or
// the URL. true only when the server confirmed it; error tells why not (the FTP domain with the
// reply code and the server's words for a refusal).
bool CFURLRenameResource(const QUrl& url, const QByteArray& newName,
                         const FtpStreamProperties& properties, StreamError* error = nullptr);

// Connects and logs in ahead to the server of url with the login of properties, so that the first
// stream there finds the connection ready: for SFTP with a host key that is known or trusted
// (nothing is sent to another), nothing for FTP. Returns at once; nothing is told.
void FtpStreamPrepareConnection(const QUrl& url, const FtpStreamProperties& properties);

// While one of these exists, no stream event reaches a delegate; held events are delivered
// afterwards, in order. Modal alerts and open panels take it; a window-modal sheet does not.
class StreamModalHold final
{
public:
    StreamModalHold();
    ~StreamModalHold();
    Q_DISABLE_COPY_MOVE(StreamModalHold)
};
