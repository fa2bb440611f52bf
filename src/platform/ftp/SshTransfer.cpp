#include "platform/ftp/SshTransfer.h"

#include <algorithm>
#include <deque>
#include <fcntl.h>
#include <memory>
#include <vector>

#include <QDateTime>

#include "platform/ftp/SftpWriter.h"

namespace SshDetail {

namespace {

// An upload's writes in flight past its first bytes, each of kWriteChunk: against OpenSSH's
// server 8 took the least CPU at both ends and the least time; 64 of 32 KiB (as OpenSSH's sftp
// sends them), 16-32 of 64-128 KiB, and 4 or 16 of 240 KiB all took more.
constexpr size_t kWritesInFlight = 8;

} // namespace

void SshTransfer::download()
{
    const int64_t offset = resumeOffset(t.properties);
    const QByteArray path = remotePath(target.sftpPath());
    sftp_file file = sftp_open(sftp, path.constData(), O_RDONLY, 0);
    if (!file && keptConnectionClosed())
        return;
    if (!file)
        return fail(sftpError(QStringLiteral("Could not open remote file for reading")));
    sftp_attributes attributes = sftp_fstat(file);
    // What the server tells of the file before its first bytes, as FTP's SIZE and MDTM do.
    CurlNote told;
    int64_t size = -1;
    if (attributes && (attributes->flags & SSH_FILEXFER_ATTR_SIZE))
        told.size = size = static_cast<int64_t>(attributes->size);
    if (attributes && (attributes->flags & SSH_FILEXFER_ATTR_ACMODTIME))
        told.modificationTime = QDateTime::fromSecsSinceEpoch(attributes->mtime, Qt::UTC)
                                    .toString(QStringLiteral("yyyyMMddHHmmss"))
                                    .toLatin1();
    sftp_attributes_free(attributes);
    note(CurlNote::Kind::Reply, told);
    if (size >= 0 && offset > size) {
        sftp_close(file);
        return fail(CurlOptions::localError(
            CURLE_BAD_DOWNLOAD_RESUME,
            QStringLiteral("Offset (%1) was beyond the end of the file (%2)")
                .arg(offset)
                .arg(size)));
    }
    sftp_seek64(file, static_cast<uint64_t>(offset));
    std::deque<uint32_t> inFlight;
    std::vector<char> chunk(kReadChunk);
    int64_t received = offset;
    int64_t asked = offset;
    bool end = false;
    bool failed = false;
    engine.due(run, CurlOptions::timeouts().stall, stall);
    // Requests go out in the file's order, one chunk past its size to see its end; a short
    // answer before the end leaves a gap behind the requests after it, which are dropped and
    // asked again.
    while ((!end || !inFlight.empty()) && !failed) {
        while (!end && inFlight.size() < kReadsInFlight &&
               asked < std::max(size, received) + kReadChunk) {
            const int id = sftp_async_read_begin(file, kReadChunk);
            if (id < 0) {
                failed = true;
                break;
            }
            inFlight.push_back(static_cast<uint32_t>(id));
            asked += kReadChunk;
        }
        if (inFlight.empty())
            break;
        tellUntold();
        const int n = sftp_async_read(file, chunk.data(), kReadChunk, inFlight.front());
        inFlight.pop_front();
        if (n < 0) {
            failed = true;
        } else if (n == 0) {
            end = true;
        } else if (!end) {
            if (!deliver(chunk.data(), n)) {
                failed = true;
                break;
            }
            received += n;
            engine.due(run, CurlOptions::timeouts().stall, stall);
            if (n < static_cast<int>(kReadChunk) && (size < 0 || received < size)) {
                for (const uint32_t id : inFlight)
                    sftp_async_read(file, chunk.data(), kReadChunk, id);
                inFlight.clear();
                sftp_seek64(file, static_cast<uint64_t>(received));
                asked = received;
            } else if (n < static_cast<int>(kReadChunk)) {
                end = true;
            }
        }
    }
    // The answers still on their way are dropped with the session.
    if (failed) {
        StreamError why;
        if (!stopped() && !engine.expired(run, &why))
            why = CurlOptions::downloadBrokenOff(CURLE_SSH, received, std::max(size, received));
        sftp_close(file);
        return fail(why);
    }
    sftp_close(file);
    finish(CURLE_OK);
}

// Into the buffer, once it has room: a full buffer pauses the transfer (and its time-out) until
// the owner has read.
bool SshTransfer::deliver(const char* data, int64_t length)
{
    std::unique_lock guard(t.mutex);
    while (!t.buffer.isEmpty() && t.buffer.size() + length > t.bufferLimit) {
        if (stopped())
            return false;
        t.receivePaused = true;
        engine.noDeadline(run);
        run.woken.wait_for(guard, kPausedLook, [this] { return !t.receivePaused || stopped(); });
    }
    t.buffer.append(data, length);
    t.maxBuffered = std::max<int64_t>(t.maxBuffered, t.buffer.size());
    t.lastActivity = Clock::now();
    if (!t.bytesNoted && !std::exchange(t.bytesUntold, true))
        t.untoldSince = t.lastActivity;
    // A listing's lines are told at once, a file's bytes once a quarter of its buffer is full.
    const bool tell = t.bytesUntold && (t.kind == CurlTransfer::Kind::Listing ||
                                        t.buffer.size() >= CurlTransfer::kTellAt);
    if (tell) {
        t.bytesUntold = false;
        t.bytesNoted = true;
    }
    guard.unlock();
    if (tell)
        note(CurlNote::Kind::Bytes);
    return true;
}

// Before a read that may wait: bytes that came are told now, not after it.
void SshTransfer::tellUntold()
{
    Clock::time_point since;
    {
        std::lock_guard guard(t.mutex);
        if (!t.bytesUntold)
            return;
        since = t.untoldSince;
    }
    if (Clock::now() - since < CurlTransfer::kTellWithin && ssh_channel_poll(sftp->channel, 0) > 0)
        return;
    {
        std::lock_guard guard(t.mutex);
        if (!std::exchange(t.bytesUntold, false))
            return;
        t.bytesNoted = true;
    }
    note(CurlNote::Kind::Bytes);
}

// Over a file that is there, the bytes go to a temporary name that takes the file's place once
// complete: a failed upload leaves the file as it was. A new file is removed if the upload fails;
// an append (offset) goes into the file itself.
void SshTransfer::upload()
{
    const int64_t offset = resumeOffset(t.properties);
    const QByteArray path = remotePath(target.sftpPath());
    sftp_attributes there = sftp_lstat(sftp, path.constData());
    const bool existed = there || sftp_get_error(sftp) != SSH_FX_NO_SUCH_FILE;
    const bool regular = there && there->type == SSH_FILEXFER_TYPE_REGULAR;
    const mode_t mode = there ? there->permissions & 07777 : 0644;
    const uint64_t remoteSize = there ? there->size : 0;
    sftp_attributes_free(there);
    QByteArray written = path;
    const auto beside = [this](const char* suffix) {
        return remotePath(target.sftpPath().chopped(target.name().size()) + '.' + target.name() +
                          suffix);
    };
    if (offset == 0 && regular)
        written = beside(".tandrel-upload");
    const int flags = offset > 0 ? O_WRONLY | O_CREAT | O_APPEND : O_WRONLY | O_CREAT | O_TRUNC;
    sftp_file file = sftp_open(sftp, written.constData(), flags, mode);
    if (!file && written != path) {
        written = path;
        file = sftp_open(sftp, written.constData(), flags, 0644);
    }
    if (!file && keptConnectionClosed())
        return;
    if (!file)
        return fail(sftpError(QStringLiteral("Upload failed")));
    // Where the bytes go: the file's end for an append.
    const uint64_t start = offset > 0 ? remoteSize : 0;
    if (offset > 0)
        sftp_seek64(file, remoteSize);
    // Removes what this upload made, unless it appended to a file that was there.
    const auto cleanUp = [&] {
        engine.due(run, CurlOptions::timeouts().finish, stall);
        if (written != path || (!existed && offset == 0))
            sftp_unlink(sftp, written.constData());
    };
    // A file of one write or less goes through libssh, so that it needs no channel of its own;
    // past that the writer keeps several writes in flight, from the first byte when more than a
    // write's bytes wait at the start, or libssh carries on should the server not open the
    // writer's channel.
    std::unique_ptr<SftpWriter> writer;
    bool writerTried = false;
    std::vector<char> chunk(SftpWriter::kHeaderRoom + kWriteChunk);
    char* const data = chunk.data() + SftpWriter::kHeaderRoom;
    int64_t sent = 0;       // through libssh, each confirmed
    int64_t writerSent = 0; // through the writer, confirmed or not
    const auto confirmed = [&] { return sent + (writer ? writer->confirmed() : 0); };
    for (;;) {
        int64_t n = 0;
        bool tell = false;
        bool done = false;
        bool more = false; // bytes past these already wait
        {
            std::unique_lock guard(t.mutex);
            n = t.buffer.take(data, sent < kWriteChunk ? kWriteChunk - sent : kWriteChunk);
            more = !t.buffer.isEmpty();
            done = n == 0 && t.endOfData;
            t.sendPaused = n == 0 && !t.endOfData;
            // Room is news for the owner once half the buffer is free: it refills it in one go.
            tell = !t.endOfData && t.buffer.space() * 2 >= t.bufferLimit &&
                   !std::exchange(t.spaceNoted, true);
            if (n > 0)
                t.lastActivity = Clock::now();
        }
        if (tell)
            note(CurlNote::Kind::Space);
        if (done || stopped())
            break;
        if (n == 0) {
            engine.noDeadline(run);
            std::unique_lock guard(t.mutex);
            run.woken.wait_for(guard, kPausedLook,
                               [this] { return !t.sendPaused || t.endOfData || stopped(); });
            continue;
        }
        engine.due(run, CurlOptions::timeouts().stall, stall);
        // Not a first write through libssh when more follows: its sftp_write would hold a
        // second copy of the bytes while it sends them, the largest block of the upload.
        if (!writerTried && (sent >= kWriteChunk || (sent == 0 && n == kWriteChunk && more))) {
            writerTried = true;
            writer = std::make_unique<SftpWriter>(sftp, kWritesInFlight);
            if (!writer->start() || !writer->open(written.toStdString(), offset > 0))
                writer.reset();
        }
        const bool wrote =
            writer ? writer->write(data, static_cast<uint32_t>(n), start + sent + writerSent)
                   : sftp_write(file, data, static_cast<size_t>(n)) == n;
        if (!wrote) {
            StreamError why;
            if (!engine.expired(run, &why))
                why = CurlOptions::uploadBrokenOff(CURLE_SSH, confirmed());
            writer.reset();
            sftp_close(file);
            cleanUp();
            return fail(why);
        }
        (writer ? writerSent : sent) += n;
    }
    if (stopped()) {
        // Given up by its owner: the file the user named stays as a curl upload leaves it.
        writer.reset();
        sftp_close(file);
        if (written != path)
            cleanUp();
        return;
    }
    // The writes in flight end at the link's pace: each answer gives the next the stall time.
    while (writer && !writer->idle()) {
        engine.due(run, CurlOptions::timeouts().stall, stall);
        if (!writer->settle())
            break;
    }
    engine.due(run, CurlOptions::timeouts().finish,
               timedOut(QStringLiteral("The server did not confirm the upload")));
    const bool writerClosed = !writer || writer->close();
    const int64_t stored = confirmed();
    writer.reset();
    if (sftp_close(file) != SSH_OK || !writerClosed) {
        const StreamError why = CurlOptions::uploadBrokenOff(CURLE_SSH, stored);
        cleanUp();
        return fail(why);
    }
    // SFTP's own rename (libssh 0.10 has no other) does not replace a file: the old one steps
    // aside first, and comes back should the new one not take its place.
    if (written != path) {
        const QByteArray old = beside(".tandrel-old");
        const bool aside = sftp_rename(sftp, path.constData(), old.constData()) == 0;
        if (!aside || sftp_rename(sftp, written.constData(), path.constData()) != 0) {
            const StreamError why =
                sftpError(QStringLiteral("The upload could not replace the file"));
            if (aside)
                sftp_rename(sftp, old.constData(), path.constData());
            cleanUp();
            return fail(why);
        }
        sftp_unlink(sftp, old.constData());
    }
    finish(CURLE_OK);
}

// A new folder, a removal or a rename, on the logged-in connection: one request, where libcurl
// would log in again beside it (afresh for each removal).
void SshTransfer::change()
{
    QByteArray path = remotePath(target.sftpPath());
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    const auto within = t.kind == CurlTransfer::Kind::MakeFolder ? CurlOptions::timeouts().response
                                                                 : CurlOptions::timeouts().finish;
    engine.due(
        run, within,
        timedOut(QStringLiteral("The server did not answer within %1 ms").arg(within.count())));
    int refused = 0;
    QString what;
    if (t.kind == CurlTransfer::Kind::MakeFolder) {
        // As libcurl made them: rwxr-xr-x before the server's umask.
        refused = sftp_mkdir(sftp, path.constData(), 0755);
        what = QStringLiteral("Could not create the folder");
    } else if (t.kind == CurlTransfer::Kind::Delete) {
        refused = target.isFolder() ? sftp_rmdir(sftp, path.constData())
                                    : sftp_unlink(sftp, path.constData());
        what = target.isFolder() ? QStringLiteral("Could not remove the folder")
                                 : QStringLiteral("Could not remove the file");
    } else {
        const QByteArray renamed = path.left(path.lastIndexOf('/') + 1) + t.renameTo;
        refused = sftp_rename(sftp, path.constData(), renamed.constData());
        what = QStringLiteral("Could not rename");
    }
    if (refused != 0 && keptConnectionClosed())
        return;
    if (refused == 0)
        return finish(CURLE_OK);
    const int status = sftp_get_error(sftp);
    StreamError why = sftpError(what);
    // SFTP version 3 has no word for a folder that still holds entries: OpenSSH's server says
    // "Failure".
    if (t.kind == CurlTransfer::Kind::Delete && target.isFolder() && status == SSH_FX_FAILURE &&
        holdsEntries(path))
        why = CurlOptions::localError(CURLE_REMOTE_ACCESS_DENIED,
                                      what + QStringLiteral(": it is not empty"));
    fail(why);
    // The server said no, and the connection goes on as it was: kept for the next request.
    reusable = !stopped() && !engine.expired(run, nullptr) && ssh_is_connected(session) &&
               status != SSH_FX_OK;
}

bool SshTransfer::holdsEntries(const QByteArray& folder)
{
    sftp_dir dir = sftp_opendir(sftp, folder.constData());
    if (!dir)
        return false;
    bool found = false;
    while (!found) {
        sftp_attributes entry = sftp_readdir(sftp, dir);
        if (!entry)
            break;
        found = qstrcmp(entry->name, ".") != 0 && qstrcmp(entry->name, "..") != 0;
        sftp_attributes_free(entry);
    }
    sftp_closedir(dir);
    return found;
}

// A kept connection the server closed while it waited fails its first request: the transfer
// starts again on a new one, nothing having been told.
bool SshTransfer::keptConnectionClosed()
{
    retryAfresh =
        reused && (!ssh_is_connected(session) || ssh_get_error_code(session) == SSH_FATAL);
    return retryAfresh;
}

// A path beginning with "/~/" is below the home folder: relative, for the server.
QByteArray SshTransfer::remotePath(const QByteArray& path) const
{
    return path.startsWith("/~/") ? path.mid(3) : path;
}

StreamError SshTransfer::sftpError(const QString& what) const
{
    StreamError expiry;
    if (engine.expired(run, &expiry))
        return expiry;
    CURLcode code = CURLE_SSH;
    QString reason = QString::fromUtf8(ssh_get_error(session));
    switch (sftp_get_error(sftp)) {
    case SSH_FX_NO_SUCH_FILE:
    case SSH_FX_NO_SUCH_PATH:
        code = CURLE_REMOTE_FILE_NOT_FOUND;
        reason = QStringLiteral("No such file or directory");
        break;
    case SSH_FX_PERMISSION_DENIED:
    case SSH_FX_WRITE_PROTECT:
        code = CURLE_REMOTE_ACCESS_DENIED;
        reason = QStringLiteral("Permission denied");
        break;
    case SSH_FX_FILE_ALREADY_EXISTS: // libssh's, for a new folder whose name is taken
        code = CURLE_REMOTE_ACCESS_DENIED;
        reason = QStringLiteral("A file or folder of that name is there already");
        break;
    default:
        break;
    }
    return CurlOptions::localError(code, QString::fromUtf8(curl_easy_strerror(code)) +
                                             QStringLiteral(": ") + what + QStringLiteral(": ") +
                                             reason);
}

void SshTransfer::note(CurlNote::Kind kind, CurlNote next)
{
    next.id = t.id;
    next.kind = kind;
    // The first note once the host key was vouched for tells what protects the connection.
    if (!security.protocol.isEmpty() &&
        (!std::exchange(securityTold, true) || kind == CurlNote::Kind::Finished))
        next.security = security;
    engine.note(std::move(next));
}

void SshTransfer::fail(StreamError error)
{
    // A stopped transfer has nobody to tell.
    if (t.stopRequested)
        return;
    StreamError expiry;
    if (engine.expired(run, &expiry))
        error = expiry;
    finish(error.code > 0 ? static_cast<CURLcode>(error.code) : CURLE_SSH, error);
}

void SshTransfer::finish(CURLcode result, const StreamError& error)
{
    // A stop that comes once it has ended leaves the connection as clean as ever.
    reusable = result == CURLE_OK && !stopped();
    CurlNote done;
    done.result = result;
    done.error = error;
    note(CurlNote::Kind::Finished, done);
}

} // namespace SshDetail
