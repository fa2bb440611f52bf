#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include <QByteArray>
#include <QUrl>

#include <curl/curl.h>

#include "platform/ftp/FtpStream.h"
#include "platform/ftp/StreamBuffer.h"
#include "platform/ftp/TlsPolicy.h"

class CurlEngine;

// One libcurl transfer as the curl thread runs it and its owner on the main thread sees it.
// The owner fills in what to do and hands it over; from then on the easy handle and everything
// under "curl thread only" belong to the curl thread, the fields under "shared" are read and
// changed under the mutex by both, and what the owner learns comes to it as CurlNotes.
struct CurlTransfer final
{
    using Clock = std::chrono::steady_clock;

    enum class Kind
    {
        Download,   // RETR into the buffer
        Listing,    // LIST into the buffer, CRLF line ends restored
        Upload,     // STOR from the buffer
        MakeFolder, // MKD in the parent folder
        Delete,     // DELE or RMD in the parent folder
        Rename,     // RNFR and RNTO in the parent folder
    };

    // A download pauses when a chunk would take its buffer past its limit and resumes as soon
    // as one whole chunk of libcurl's fits again, so that the curl thread refills the buffer
    // while its owner still reads from it (resuming only when it is nearly empty leaves each
    // side waiting for the other in turn). A file's download holds eight of libcurl's chunks:
    // the threads hand the buffer over a quarter as often as with two, which saves about a sixth
    // of the download's CPU.
    // An upload holds as many. A listing (parsed as it arrives, on the main thread) holds two.
    static constexpr long kCurlBufferSize = 128 * 1024;
    static constexpr int64_t kFileBufferLimit = 1024 * 1024;
    // libcurl sends an upload from a buffer of its own, refilled from ours: half of ours at a
    // time, while the owner refills the other half (it hears of room once half is free). With
    // 128 KiB libcurl called in four times as often and sent in smaller pieces: a fifth more
    // CPU per GiB; with all of ours it left the buffer empty more often.
    static constexpr long kCurlUploadBufferSize = kFileBufferLimit / 2;
    // Over SFTP a file moves in reads of 32 KiB and writes of 240 KiB, not in libcurl's chunks:
    // half the buffer holds sixteen reads or two writes, about as fast, and half a MiB less at the
    // peak.
    static constexpr int64_t kSftpFileBufferLimit = kFileBufferLimit / 2;
    static constexpr int64_t kBufferLimit = 256 * 1024;
    // A file's new bytes are told to its owner once a quarter of its buffer has filled (half of
    // an SFTP file's), or once the first of them has waited kTellWithin: over SFTP libcurl hands
    // over 30-60 KB at a time, and waking the owner for each took twice the thread switches and
    // about a tenth more of the download's CPU. A listing's bytes are told at once.
    static constexpr int64_t kTellAt = kFileBufferLimit / 4;
    static constexpr std::chrono::milliseconds kTellWithin{10};
    // The most an SFTP listing holds beyond its buffer (see held).
    static constexpr qsizetype kHeldLimit = 512 * 1024 * 1024;

    CurlTransfer(uint64_t id, Kind kind, const QUrl& url, const FtpStreamProperties& properties)
        : id(id)
        , kind(kind)
        , bufferLimit(kind != Kind::Download && kind != Kind::Upload ? kBufferLimit
                      : isSftp(url)                                  ? kSftpFileBufferLimit
                                                                     : kFileBufferLimit)
        , url(url)
        , properties(properties)
        , protocol(isSftp(url) ? Protocol::SFTP : Protocol::FTP)
        , encryption(encryptionIn(properties))
    {}

    static bool isSftp(const QUrl& url)
    {
        return url.scheme().compare(QLatin1String("sftp"), Qt::CaseInsensitive) == 0;
    }

    int64_t resumeBelow() const { return bufferLimit - kCurlBufferSize + 1; }

    const uint64_t id;
    const Kind kind;
    const int64_t bufferLimit;
    const QUrl url;
    const FtpStreamProperties properties;
    // Read once from the URL and the properties, so that nobody parses them again.
    const Protocol protocol;
    const Encryption encryption;
    // A rename's new name, set by the owner before the start.
    QByteArray renameTo;
    // Taken on the main thread when the transfer starts.
    TlsPolicy::Trust trust;
    // sftp: where the host keys are known, taken on the main thread when the transfer starts.
    struct SshTrust
    {
        QByteArray knownHostsFile;            // the user's ~/.ssh/known_hosts, read only
        QString hostEntry;                    // "host" or "[host]:port"
        std::optional<QByteArray> trustedKey; // the key the user trusted in Tandrel
    } sshTrust;
    // A download that only asks the file's size (the check after a failed upload).
    bool sizeOnly = false;
    // sftp: the upload that waits for this size check to learn whether its file exists.
    std::shared_ptr<CurlTransfer> uploadAfter;

    // Shared, under the mutex.
    std::mutex mutex;
    // A listing's buffer has room for one more of libcurl's chunks past its limit.
    StreamBuffer buffer{kind == Kind::Listing ? bufferLimit + 2 * kCurlBufferSize : bufferLimit};
    // An SFTP listing's bytes that did not fit in the buffer, from heldFrom on; they move into
    // the buffer as its owner reads.
    QByteArray held;
    qsizetype heldFrom = 0;
    int64_t maxBuffered = 0;
    bool receivePaused = false; // the download waits for its owner to read
    bool sendPaused = false;    // the upload waits for its owner to write
    bool endOfData = false;     // the upload has no more bytes
    bool bytesNoted = false;    // a note about new bytes is on its way to the owner
    bool spaceNoted = false;    // likewise about room for an upload's bytes
    bool bytesUntold = false;   // bytes came since the last note, and none is on its way
    // When the first of those came.
    Clock::time_point untoldSince;
    Clock::time_point lastActivity = Clock::now();
    // The owner has let go: the curl thread stops the transfer at its next chance.
    std::atomic<bool> stopRequested{false};

    // Curl thread only.
    CurlEngine* engine = nullptr; // runs it; the callbacks' notes go there
    CURL* easy = nullptr;
    curl_slist* preCommands = nullptr;
    curl_slist* postCommands = nullptr;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    QByteArray replyLines;  // the reply being read, its lines so far
    QByteArray lastRefusal; // the server's last refusal (4xx, 5xx), code and text
    bool sizeAnswered = false;
    bool modificationTimeAnswered = false;
    bool transferAccepted = false;          // the 1xx reply to RETR, LIST or STOR came
    bool existenceAsked = false;            // sftp upload: its size check has run
    bool existedBefore = true;              // sftp upload: the file was there before it
    int verdict = 0;                        // the reply after that 1xx
    std::optional<StreamError> abortedWith; // why the transfer was stopped from outside libcurl
    std::unique_ptr<TlsPolicy> tls;         // the transfer's TLS options and what they saw
    bool dataSecurityNoted = false;         // the first data's note told the connection's TLS
    bool replied = false;                   // a reply line has come
    bool hostKeySeen = false;               // sftp: the server showed its host key
    std::optional<ConnectionSecurity> ssh;  // sftp: how the host key was trusted
    Clock::time_point begun = Clock::now(); // handed to libcurl
    // How long a greeting may take once connected where an implicit-TLS port is likely; 0: as
    // long as any reply.
    std::chrono::milliseconds greetingWait{0};

    Q_DISABLE_COPY_MOVE(CurlTransfer)

private:
    static Encryption encryptionIn(const FtpStreamProperties& properties)
    {
        const auto it = properties.find(FtpStreamProperty::Encryption);
        return it == properties.end() ? Encryption::IfAvailable : it->second.value<Encryption>();
    }
};

// What the curl thread tells a transfer's owner, delivered on the main thread in order.
struct CurlNote final
{
    enum class Kind
    {
        Reply,    // a complete server reply: code, and size when it announced the file's size
        Bytes,    // new bytes wait in a download's buffer
        Space,    // the server takes the upload: libcurl asks for bytes
        Finished, // libcurl is done: result, code (the last reply's), error when it failed
    };
    uint64_t id = 0;
    Kind kind = Kind::Reply;
    int code = 0;
    std::optional<int64_t> size;
    // A download's MDTM reply: the file's time, YYYYMMDDHHMMSS[.fraction].
    QByteArray modificationTime;
    CURLcode result = CURLE_OK;
    StreamError error;
    // With a reply or at the end: what protected the connection so far.
    std::optional<ConnectionSecurity> security;
};
