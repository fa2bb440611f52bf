#include "platform/ftp/FtpStreamPrivate.h"

#include <algorithm>

#include <QLoggingCategory>

#include "platform/Assert.h"
#include "platform/ftp/CurlMulti.h"
#include "platform/ftp/CurlOptions.h"
#include "platform/ftp/FtpTarget.h"

namespace {

// QT_LOGGING_RULES="tandrel.stream.debug=true" shows every change of state in debug builds.
Q_LOGGING_CATEGORY(streamLog, "tandrel.stream", QtWarningMsg)

} // namespace

FtpStreamPrivate::FtpStreamPrivate(FtpStream* q, FtpStream::Direction direction, const QUrl& url)
    : q(q)
    , direction(direction)
    , url(url)
    , id(CurlMulti::instance().newId())
    , folderTarget(FtpTarget(url).isFolder())
{
    CurlMulti& multi = CurlMulti::instance();
    multi.registerStream(id, this);
    multi.listen(id, [this](const CurlNote& note) { noted(note); });
}

FtpStreamPrivate::~FtpStreamPrivate()
{
    stopTransfer();
    if (CurlMulti* multi = CurlMulti::existing())
        multi->forget(id);
}

const char* FtpStreamPrivate::name(State state)
{
    switch (state) {
    case State::Created:
        return "Created";
    case State::Starting:
        return "Starting";
    case State::Open:
        return "Open";
    case State::Sending:
        return "Sending";
    case State::Finishing:
        return "Finishing";
    case State::Done:
        return "Done";
    case State::Ended:
        return "Ended";
    case State::Failed:
        return "Failed";
    case State::Closed:
        return "Closed";
    }
    return "?";
}

void FtpStreamPrivate::setState(State next)
{
    const auto allowed = [this](State to) {
        switch (state) {
        case State::Created:
            return to == State::Starting;
        case State::Starting:
            return to == State::Open || to == State::Finishing || to == State::Done;
        case State::Open:
            return to == State::Sending || to == State::Finishing || to == State::Done ||
                   to == State::Ended;
        case State::Sending:
            return to == State::Finishing;
        case State::Done:
            return to == State::Ended;
        case State::Finishing:
        case State::Ended:
        case State::Failed:
        case State::Closed:
            return false;
        }
        return false;
    };
    // Any state but Closed may fail (or close); nothing follows Closed.
    TANDREL_ASSERT(state != State::Closed);
    TANDREL_ASSERT(next == State::Closed || (next == State::Failed && state != State::Failed) ||
                   allowed(next));
#ifndef NDEBUG
    qCDebug(streamLog, "stream %llu: %s -> %s", static_cast<unsigned long long>(id), name(state),
            name(next));
#endif
    state = next;
}

void FtpStreamPrivate::setProperty(const QVariant& value, FtpStreamProperty key)
{
    if (state == State::Created)
        properties[key] = value;
}

void FtpStreamPrivate::schedule()
{
    scheduled = true;
    // Events that came due while the stream was off the loop go first, in their order.
    if (CurlMulti* multi = CurlMulti::existing(); multi && !parked.empty())
        multi->postFirst(id, parked);
    parked.clear();
}

void FtpStreamPrivate::park(NSStreamEvent event)
{
    if (state != State::Closed)
        parked.push_back(event);
}

void FtpStreamPrivate::open()
{
    if (state != State::Created)
        return;
    setState(State::Starting);
    const FtpTarget target(url);
    if (!target.isValid()) {
        fail(CurlOptions::localError(CURLE_URL_MALFORMAT, target.problem()));
        return;
    }
    if (makesFolder() && target.name().isEmpty()) {
        fail(CurlOptions::localError(CURLE_URL_MALFORMAT,
                                     QStringLiteral("No folder name to create")));
        return;
    }
    using Kind = CurlTransfer::Kind;
    const Kind kind = direction == FtpStream::Direction::Read
                          ? (folderTarget ? Kind::Listing : Kind::Download)
                          : (folderTarget ? Kind::MakeFolder : Kind::Upload);
    transfer = std::make_shared<CurlTransfer>(id, kind, url, properties);
    CurlMulti::instance().start(transfer);
}

int64_t FtpStreamPrivate::read(char* out, int64_t maxLength)
{
    if (direction != FtpStream::Direction::Read || !out || maxLength <= 0 || !transfer)
        return -1;
    const auto empty = [this] {
        std::lock_guard guard(transfer->mutex);
        return transfer->buffer.isEmpty();
    };
    if (runningTransfer() && empty()) {
        // Read without a has-bytes event first: wait as a blocking read would, bounded.
        /* BLOCKING: runs the event loop, user input held, until bytes come; up to stall */
        CurlMulti::instance().waitFor([&] { return !runningTransfer() || !empty(); },
                                      CurlMulti::Clock::now() + CurlOptions::timeouts().stall);
        if (runningTransfer() && empty())
            fail(CurlOptions::localError(CURLE_OPERATION_TIMEDOUT,
                                         QStringLiteral("No data arrived")));
    }
    if (!runningTransfer() && state != State::Done && state != State::Ended)
        return -1;

    int64_t n = 0;
    bool remaining = false;
    bool resume = false;
    {
        std::lock_guard guard(transfer->mutex);
        n = transfer->buffer.take(out, maxLength);
        if (!transfer->held.isEmpty()) {
            transfer->heldFrom +=
                transfer->buffer.append(transfer->held.constData() + transfer->heldFrom,
                                        transfer->held.size() - transfer->heldFrom);
            if (transfer->heldFrom == transfer->held.size()) {
                transfer->held.clear();
                transfer->heldFrom = 0;
            }
        }
        remaining = !transfer->buffer.isEmpty();
        if (transfer->receivePaused && transfer->buffer.size() < transfer->resumeBelow()) {
            transfer->receivePaused = false;
            transfer->lastActivity = CurlTransfer::Clock::now();
            resume = true;
        }
    }
    if (resume)
        CurlMulti::instance().resume(id);
    awaiting &= ~NSStreamEventHasBytesAvailable;
    if (n == 0) {
        if (state == State::Done) {
            setState(State::Ended);
            post(NSStreamEventEndEncountered);
        }
        return 0;
    }
    if (remaining || state == State::Done)
        signalBytes();
    return n;
}

int64_t FtpStreamPrivate::write(const char* data, int64_t length)
{
    if (direction != FtpStream::Direction::Write || makesFolder() || !data || length < 0 ||
        !runningTransfer())
        return -1;
    int64_t n = 0;
    bool resume = false;
    bool later = false;
    {
        std::lock_guard guard(transfer->mutex);
        n = transfer->buffer.append(data, length);
        transfer->maxBuffered = std::max(transfer->maxBuffered, transfer->buffer.size());
        // A paused upload goes on once libcurl can take one of its chunks whole or the buffer
        // is full; fewer bytes wait for the end of this pass of the loop, which usually brings
        // more. Resuming at every write had the threads hand over each chunk on its own.
        if (n > 0 && transfer->sendPaused) {
            if (transfer->buffer.size() >= CurlTransfer::kCurlBufferSize ||
                transfer->buffer.space() == 0) {
                transfer->sendPaused = false;
                transfer->lastActivity = CurlTransfer::Clock::now();
                resume = true;
            } else {
                later = true;
            }
        }
    }
    if (resume)
        CurlMulti::instance().resume(id);
    else if (later)
        CurlMulti::instance().releaseAfterPass(id);
    awaiting &= ~NSStreamEventHasSpaceAvailable;
    signalSpace();
    return n;
}

void FtpStreamPrivate::close()
{
    if (state == State::Closed)
        return;
    if (direction == FtpStream::Direction::Write && !makesFolder() && runningTransfer()) {
        // Stopping the transfer now would cut the remote file short without a word: send the
        // end of the data and wait, bounded, for the server's verdict on the stored file.
        setState(State::Finishing);
        bool resume = false;
        {
            std::lock_guard guard(transfer->mutex);
            transfer->endOfData = true;
            resume = std::exchange(transfer->sendPaused, false);
        }
        if (resume)
            CurlMulti::instance().resume(id);
        const auto limit = CurlOptions::timeouts().finish;
        /* BLOCKING: runs the event loop, user input held, until the verdict; up to finish */
        CurlMulti::instance().waitFor([this] { return verdict.has_value(); },
                                      CurlMulti::Clock::now() + limit);
        // SFTP has no reply codes: libcurl's success is the server's answer to closing the file.
        confirmed =
            verdict && verdict->result == CURLE_OK &&
            (transfer->protocol == Protocol::SFTP || verdict->code == 226 || verdict->code == 250);
        if (!verdict || verdict->result == CURLE_ABORTED_BY_CALLBACK)
            error = CurlOptions::localError(
                CURLE_OPERATION_TIMEDOUT,
                QStringLiteral("The server did not confirm the upload within %1 ms")
                    .arg(limit.count()));
        else if (verdict->result != CURLE_OK)
            error = verdict->error;
    }
    stopTransfer();
    setState(State::Closed);
}

void FtpStreamPrivate::abort()
{
    if (state == State::Closed)
        return;
    stopTransfer();
    setState(State::Closed);
}

void FtpStreamPrivate::releaseSend()
{
    if (direction != FtpStream::Direction::Write || !transfer || !runningTransfer())
        return;
    bool resume = false;
    {
        std::lock_guard guard(transfer->mutex);
        if (transfer->sendPaused && !transfer->buffer.isEmpty()) {
            transfer->sendPaused = false;
            transfer->lastActivity = CurlTransfer::Clock::now();
            resume = true;
        }
    }
    if (resume)
        CurlMulti::instance().resume(id);
}

int64_t FtpStreamPrivate::bufferedBytes() const
{
    if (!transfer)
        return 0;
    std::lock_guard guard(transfer->mutex);
    return transfer->buffer.size();
}

int64_t FtpStreamPrivate::maxBufferedBytes() const
{
    if (!transfer)
        return 0;
    std::lock_guard guard(transfer->mutex);
    return transfer->maxBuffered;
}

void FtpStreamPrivate::noted(const CurlNote& note)
{
    if (note.security)
        lastSecurity = *note.security;
    switch (note.kind) {
    case CurlNote::Kind::Reply:
        if (note.size)
            announcedSize = note.size;
        if (!note.modificationTime.isEmpty())
            modificationTime = note.modificationTime;
        if (note.code / 100 == 1 && !makesFolder())
            signalOpen();
        break;
    case CurlNote::Kind::Bytes: {
        // The owner may have read them already, on an earlier event: a has-bytes event always
        // finds bytes to read.
        bool waiting = false;
        {
            std::lock_guard guard(transfer->mutex);
            transfer->bytesNoted = false;
            waiting = !transfer->buffer.isEmpty();
        }
        if (waiting && runningTransfer())
            signalBytes();
        break;
    }
    case CurlNote::Kind::Space: {
        {
            std::lock_guard guard(transfer->mutex);
            transfer->spaceNoted = false;
        }
        if (state == State::Starting || state == State::Open) {
            signalOpen();
            setState(State::Sending);
        }
        signalSpace();
        break;
    }
    case CurlNote::Kind::Finished:
        finished(note);
        break;
    }
}

void FtpStreamPrivate::finished(const CurlNote& note)
{
    if (state == State::Finishing) {
        verdict = note;
        return;
    }
    if (!runningTransfer())
        return;
    if (note.result != CURLE_OK) {
        offsetRefused = note.result == CURLE_FTP_COULDNT_USE_REST;
        fail(note.error);
        return;
    }
    if (direction == FtpStream::Direction::Write && !makesFolder()) {
        fail(CurlOptions::localError(CURLE_SEND_ERROR,
                                     QStringLiteral("The server ended the upload early")));
        return;
    }
    signalOpen();
    if (makesFolder()) {
        setState(State::Ended);
        post(NSStreamEventEndEncountered);
    } else {
        // The last has-bytes event: read() answers 0 on it once the buffer is empty.
        setState(State::Done);
        signalBytes();
    }
}

void FtpStreamPrivate::post(NSStreamEvent event)
{
    if (state == State::Closed || state == State::Finishing)
        return;
    if (CurlMulti* multi = CurlMulti::existing())
        multi->post(id, event);
}

void FtpStreamPrivate::signalOpen()
{
    if (state != State::Starting)
        return;
    setState(State::Open);
    post(NSStreamEventOpenCompleted);
}

void FtpStreamPrivate::signalBytes()
{
    if (awaiting & NSStreamEventHasBytesAvailable)
        return;
    signalOpen();
    awaiting |= NSStreamEventHasBytesAvailable;
    post(NSStreamEventHasBytesAvailable);
}

void FtpStreamPrivate::signalSpace()
{
    if ((awaiting & NSStreamEventHasSpaceAvailable) || state != State::Sending)
        return;
    {
        std::lock_guard guard(transfer->mutex);
        if (transfer->endOfData || transfer->buffer.space() == 0)
            return;
    }
    awaiting |= NSStreamEventHasSpaceAvailable;
    post(NSStreamEventHasSpaceAvailable);
}

void FtpStreamPrivate::stopTransfer()
{
    if (!transfer || (!runningTransfer() && state != State::Finishing))
        return;
    transfer->stopRequested = true;
    if (CurlMulti* multi = CurlMulti::existing())
        multi->stop(id);
}

void FtpStreamPrivate::fail(const StreamError& failure)
{
    if (state == State::Closed || state == State::Failed)
        return;
    stopTransfer();
    setState(State::Failed);
    error = failure;
    post(NSStreamEventErrorOccurred);
}
