#include <algorithm>
#include <sys/socket.h>
#include <unistd.h>

#include <QDateTime>
#include <QRegularExpression>

#include "platform/TrustedHostKeys.h"
#include "platform/ftp/CurlEngine.h"
#include "platform/ftp/CurlOptions.h"

// libcurl's callbacks for the curl thread's transfers: sockets, data, reply lines and progress.

namespace {

StreamError stallError()
{
    return CurlOptions::localError(
        CURLE_OPERATION_TIMEDOUT,
        QStringLiteral("No data moved for %1 ms").arg(CurlOptions::timeouts().stall.count()));
}

// "213 <size>": the answer to SIZE.
std::optional<int64_t> sizeReply(const QByteArray& line)
{
    const QByteArray digits = line.mid(4).trimmed();
    if (digits.isEmpty() || digits.size() > 18 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return digits.toLongLong();
}

// "213 YYYYMMDDHHMMSS[.sss]", MDTM's answer (RFC 3659, 3): a size of fourteen digits that reads as
// a date would be a file of more than 10^13 bytes.
bool isModificationTime(const QByteArray& line)
{
    const QByteArray value = line.mid(4).trimmed();
    const auto digits = [](const QByteArray& text) {
        return !text.isEmpty() &&
               std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (value.size() < 14 || !digits(value.left(14)) ||
        (value.size() > 14 && (value[14] != '.' || !digits(value.mid(15)))))
        return false;
    const int month = value.mid(4, 2).toInt();
    const int day = value.mid(6, 2).toInt();
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && value.mid(8, 2).toInt() < 24;
}

// "150 Opening BINARY mode data connection for f (1234 bytes)": the size in a 1xx reply. Made
// before main, so that exit() destroys it only after the curl thread has ended.
const QRegularExpression kOpeningSize(QStringLiteral("\\((\\d{1,18}) bytes\\)"));

std::optional<int64_t> sizeInOpeningReply(const QByteArray& line)
{
    const QRegularExpressionMatch match = kOpeningSize.match(QString::fromLatin1(line));
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toLongLong();
}

// A server that waits for a TLS handshake sends no greeting: the client that waits for one (any
// encryption but implicit) waits for nothing.
StreamError noGreetingError(const QUrl& url)
{
    return CurlOptions::localError(
        CURLE_OPERATION_TIMEDOUT,
        QStringLiteral("The server sent no greeting: port %1 may expect implicit TLS (choose "
                       "Implicit TLS as the encryption)")
            .arg(url.port(21)));
}

// Whether the transfer opened a connection of its own and it is up (libcurl tells the time that
// took, 0 until then): a reused connection had its greeting long ago.
bool newConnectionUp(CURL* easy, curl_off_t* took)
{
    long made = 0;
    curl_off_t microseconds = 0;
    curl_easy_getinfo(easy, CURLINFO_NUM_CONNECTS, &made);
    curl_easy_getinfo(easy, CURLINFO_CONNECT_TIME_T, &microseconds);
    *took = microseconds;
    return made > 0 && microseconds > 0;
}

// A note about data. The first one also tells what protects the connection: a reused control
// connection has no handshake of its own, so only the data connection's, done by now, tells.
CurlNote dataNote(CurlTransfer& t, CurlNote::Kind kind)
{
    CurlNote data;
    data.id = t.id;
    data.kind = kind;
    if ((t.tls || t.ssh) && !std::exchange(t.dataSecurityNoted, true))
        data.security = t.tls ? t.tls->security() : *t.ssh;
    return data;
}

// What libcurl's SFTP learnt of a file before its first bytes, as FTP's SIZE and MDTM replies
// tell it: the whole file's size (libcurl counts only what is left after an offset) and its
// time as YYYYMMDDHHMMSS.
CurlNote sftpFileNote(const CurlTransfer& t)
{
    CurlNote file;
    file.id = t.id;
    file.kind = CurlNote::Kind::Reply;
    curl_off_t left = -1;
    if (curl_easy_getinfo(t.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &left) == CURLE_OK &&
        left >= 0) {
        const auto it = t.properties.find(FtpStreamProperty::FileTransferOffset);
        file.size =
            left + (it == t.properties.end() ? 0 : std::max<qint64>(0, it->second.toLongLong()));
    }
    curl_off_t seconds = -1;
    if (curl_easy_getinfo(t.easy, CURLINFO_FILETIME_T, &seconds) == CURLE_OK && seconds >= 0)
        file.modificationTime = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC)
                                    .toString(QStringLiteral("yyyyMMddHHmmss"))
                                    .toLatin1();
    return file;
}

} // namespace

curl_socket_t CurlEngine::openSocket(void* self, curlsocktype, curl_sockaddr* address)
{
    auto* engine = static_cast<CurlEngine*>(self);
    const curl_socket_t fd =
        ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    if (fd == CURL_SOCKET_BAD)
        return fd;
    std::lock_guard guard(engine->lock);
    engine->sockets.insert(fd);
    return fd;
}

int CurlEngine::closeSocket(void* self, curl_socket_t fd)
{
    auto* engine = static_cast<CurlEngine*>(self);
    // Closed under the lock, so that the shutdown at exit never meets a number reused meanwhile.
    std::lock_guard guard(engine->lock);
    engine->sockets.erase(fd);
    return ::close(fd);
}

size_t CurlEngine::receive(char* data, size_t size, size_t count, void* transfer)
{
    auto* t = static_cast<CurlTransfer*>(transfer);
    const auto length = static_cast<int64_t>(size * count);
    if (t->protocol == Protocol::SFTP && t->kind == CurlTransfer::Kind::Download &&
        !std::exchange(t->sizeAnswered, true))
        t->engine->note(sftpFileNote(*t));
    // libcurl lists in ASCII mode and turns every CRLF (and a lone CR) into LF on the way in;
    // the listing gets its CRLF line ends back, as RFC 959 servers send them.
    const bool listing = t->kind == CurlTransfer::Kind::Listing;
    const int64_t lineEnds = listing ? std::count(data, data + length, '\n') : 0;
    const int64_t needed = length + lineEnds;
    // Appends the chunk, its line ends restored for a listing.
    const auto put = [&](auto& sink) {
        if (lineEnds == 0) {
            sink.append(data, length);
            return;
        }
        const char* const end = data + length;
        for (const char* line = data; line < end;) {
            const char* lf = std::find(line, end, '\n');
            sink.append(line, lf - line);
            if (lf < end)
                sink.append("\r\n", 2);
            line = lf + 1;
        }
    };
    bool tell = false;
    {
        std::lock_guard guard(t->mutex);
        // libcurl's SFTP reads a whole folder in one step and ends the transfer without waiting
        // for a paused reader, dropping what it held back: an SFTP listing never pauses, and
        // what does not fit waits in held until the owner has read.
        const bool neverPause = listing && t->protocol == Protocol::SFTP;
        // An empty buffer takes any chunk (libcurl's are at most kCurlBufferSize, twice that
        // once line ends are restored); otherwise keep the buffer within its limit and let
        // libcurl hold the chunk until the owner has read. libcurl 7.88 converts the line ends
        // of a held listing chunk again when it hands it over, and drops an LF at its start
        // when the read it came from ended in CR (two entries become one): such a chunk is
        // taken into the listing buffer's spare room instead.
        const bool mustTake = listing && length > 0 && data[0] == '\n';
        if (neverPause && (!t->held.isEmpty() || needed > t->buffer.space())) {
            if (t->held.size() + needed > CurlTransfer::kHeldLimit)
                return 0;
            put(t->held);
        } else if (!neverPause && !t->buffer.isEmpty() &&
                   t->buffer.size() + needed > t->bufferLimit &&
                   !(mustTake && needed <= t->buffer.space())) {
            t->receivePaused = true;
            return CURL_WRITEFUNC_PAUSE;
        } else if (needed > t->buffer.space()) {
            return 0;
        } else {
            put(t->buffer);
        }
        t->maxBuffered = std::max<int64_t>(t->maxBuffered, t->buffer.size() + t->held.size());
        t->lastActivity = CurlTransfer::Clock::now();
        if (!t->bytesNoted && !std::exchange(t->bytesUntold, true))
            t->untoldSince = t->lastActivity;
        tell = t->bytesUntold && (t->kind != CurlTransfer::Kind::Download ||
                                  t->buffer.size() >= CurlTransfer::kTellAt);
        if (tell) {
            t->bytesUntold = false;
            t->bytesNoted = true;
        }
    }
    if (tell)
        t->engine->note(dataNote(*t, CurlNote::Kind::Bytes));
    return static_cast<size_t>(length);
}

int CurlEngine::tellWaitingBytes(CurlTransfer& t, int longest)
{
    {
        std::lock_guard guard(t.mutex);
        if (!t.bytesUntold)
            return longest;
        const auto waited = CurlTransfer::Clock::now() - t.untoldSince;
        if (waited < CurlTransfer::kTellWithin)
            return std::min<int>(longest, std::chrono::ceil<std::chrono::milliseconds>(
                                              CurlTransfer::kTellWithin - waited)
                                              .count());
        t.bytesUntold = false;
        t.bytesNoted = true;
    }
    note(dataNote(t, CurlNote::Kind::Bytes));
    return longest;
}

size_t CurlEngine::discard(char*, size_t size, size_t count, void*)
{
    return size * count;
}

size_t CurlEngine::send(char* out, size_t size, size_t count, void* transfer)
{
    auto* t = static_cast<CurlTransfer*>(transfer);
    size_t given = 0;
    bool tell = false;
    {
        // libcurl asks for bytes only once the server has accepted STOR and the data
        // connection is up.
        std::lock_guard guard(t->mutex);
        // SFTP has no 1xx reply: this call tells that the remote file is open.
        t->transferAccepted = true;
        const int64_t n = t->buffer.take(out, static_cast<int64_t>(size * count));
        if (n > 0) {
            t->lastActivity = CurlTransfer::Clock::now();
            given = static_cast<size_t>(n);
        } else if (!t->endOfData) {
            t->sendPaused = true;
            given = CURL_READFUNC_PAUSE;
        }
        // Room in the buffer is news for the owner, told in order with the rest, once half the
        // buffer is free: the owner then refills it in one go rather than a chunk per wake-up.
        tell = !t->endOfData && t->buffer.space() * 2 >= t->bufferLimit &&
               !std::exchange(t->spaceNoted, true);
    }
    if (tell)
        t->engine->note(dataNote(*t, CurlNote::Kind::Space));
    return given;
}

size_t CurlEngine::header(char* data, size_t size, size_t count, void* transfer)
{
    auto* t = static_cast<CurlTransfer*>(transfer);
    const size_t length = size * count;
    t->replied = true;
    QByteArray line(data, static_cast<qsizetype>(length));
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    {
        std::lock_guard guard(t->mutex);
        t->lastActivity = CurlTransfer::Clock::now();
    }
    // A refusal's words are for a status line: a server's endless reply is cut short.
    constexpr qsizetype kReplyKept = 1024;
    if (!t->replyLines.isEmpty())
        t->replyLines += ' ';
    t->replyLines += line.left(std::max<qsizetype>(0, kReplyKept - t->replyLines.size()));
    // A reply ends with a line of its code followed by a space (RFC 959, 4.2).
    const bool coded = line.size() >= 3 && std::all_of(line.begin(), line.begin() + 3,
                                                       [](char c) { return c >= '0' && c <= '9'; });
    if (!coded || (line.size() > 3 && line[3] != ' '))
        return length;
    CurlNote reply = noteOf(t->id, CurlNote::Kind::Reply, line.left(3).toInt());
    const QByteArray complete = std::exchange(t->replyLines, QByteArray());
    if (reply.code >= 400)
        t->lastRefusal = complete;
    if (t->tls)
        reply.security = t->tls->security();
    if (t->kind == CurlTransfer::Kind::Download && !t->transferAccepted) {
        // MDTM is asked first, SIZE after it: both are answered 213.
        if (reply.code == 213 && !t->modificationTimeAnswered && isModificationTime(line)) {
            reply.modificationTime = line.mid(4).trimmed();
            t->modificationTimeAnswered = true;
        } else if (reply.code == 213 && !t->sizeAnswered) {
            reply.size = sizeReply(line);
            t->sizeAnswered = reply.size.has_value();
        } else if (reply.code / 100 == 1 && !t->sizeAnswered) {
            reply.size = sizeInOpeningReply(line);
        }
    }
    if (reply.code / 100 == 1)
        t->transferAccepted = true;
    else if (t->transferAccepted && t->verdict == 0)
        t->verdict = reply.code;
    t->engine->note(std::move(reply));
    return length;
}

int CurlEngine::hostKey(CURL*, const curl_khkey* known, const curl_khkey* found, curl_khmatch match,
                        void* transfer)
{
    auto* t = static_cast<CurlTransfer*>(transfer);
    t->hostKeySeen = true;
    // libcurl hands a key over raw with its length, or as base64 text without one.
    const auto blobOf = [](const curl_khkey* key) {
        if (!key || !key->key)
            return QByteArray();
        return key->len > 0 ? QByteArray(key->key, static_cast<qsizetype>(key->len))
                            : QByteArray::fromBase64(QByteArray(key->key));
    };
    const QByteArray blob = blobOf(found);
    ConnectionSecurity security;
    security.protocol = QStringLiteral("SSH");
    security.hostPort = t->sshTrust.hostEntry;
    HostKeyDetails details{TrustedHostKeys::keyType(blob), TrustedHostKeys::fingerprint(blob), blob,
                           QString()};
    const std::optional<QByteArray>& trusted = t->sshTrust.trustedKey;
    if (match == CURLKHMATCH_OK) {
        security.state = ConnectionSecurity::State::SshKnown;
    } else if (trusted && *trusted == blob) {
        security.state = ConnectionSecurity::State::SshTrustedByUser;
    } else if (match == CURLKHMATCH_MISMATCH || trusted) {
        security.problem = ConnectionSecurity::Problem::Changed;
        details.previousFingerprint =
            TrustedHostKeys::fingerprint(match == CURLKHMATCH_MISMATCH ? blobOf(known) : *trusted);
    } else {
        security.problem = ConnectionSecurity::Problem::Untrusted;
    }
    security.hostKey = details;
    t->ssh = security;
    if (security.problem != ConnectionSecurity::Problem::None)
        return CURLKHSTAT_REJECT; // before any password or key is sent
    t->engine->sshHosts[security.hostPort] = security;
    return CURLKHSTAT_FINE;
}

int CurlEngine::progress(void* transfer, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto* t = static_cast<CurlTransfer*>(transfer);
    if (t->stopRequested)
        return 1;
    curl_off_t connecting = 0;
    if (!t->replied && t->greetingWait.count() > 0 && newConnectionUp(t->easy, &connecting) &&
        CurlTransfer::Clock::now() - t->begun - std::chrono::microseconds(connecting) >=
            t->greetingWait) {
        t->abortedWith = noGreetingError(t->url);
        return 1;
    }
    // Also while libcurl waits for a reply inside one call (a final reply withheld).
    t->engine->tellWaitingBytes(*t, 0);
    // A transfer paused for its owner (a full download buffer, an upload waiting for bytes,
    // whether the owner is busy or held by a modal alert) is waiting, not stalled.
    std::lock_guard guard(t->mutex);
    if (!t->receivePaused && !t->sendPaused &&
        CurlTransfer::Clock::now() - t->lastActivity >= CurlOptions::timeouts().stall) {
        t->abortedWith = stallError();
        return 1;
    }
    return 0;
}
