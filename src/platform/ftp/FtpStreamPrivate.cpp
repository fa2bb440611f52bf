#include "platform/ftp/FtpStreamPrivate.h"

#include <algorithm>

#include "platform/ftp/CurlMulti.h"
#include "platform/ftp/CurlOptions.h"

FtpStreamPrivate::FtpStreamPrivate(FtpStream* q, FtpStream::Direction direction, const QUrl& url)
    : q(q)
    , direction(direction)
    , url(url)
    , id(CurlMulti::instance().registerStream(this))
    , folderTarget(FtpTarget(url).isFolder())
{}

FtpStreamPrivate::~FtpStreamPrivate()
{
    detach();
    if (CurlMulti* multi = CurlMulti::existing())
        multi->unregisterStream(id);
    if (easy)
        curl_easy_cleanup(easy);
    curl_slist_free_all(commands);
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
    state = State::Running;
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
    CurlOptions::globalInit();
    easy = curl_easy_init();
    if (!easy) {
        fail(CurlOptions::localError(CURLE_OUT_OF_MEMORY, QStringLiteral("No transfer handle")));
        return;
    }
    if (!configure(target))
        return;
    lastActivity = Clock::now();
    inMulti = true;
    CurlMulti::instance().addHandle(easy);
}

bool FtpStreamPrivate::configure(const FtpTarget& target)
{
    // The handle carries the stream's id, not its address: see CurlMulti::streamForHandle.
    curl_easy_setopt(easy, CURLOPT_PRIVATE, reinterpret_cast<void*>(static_cast<uintptr_t>(id)));
    if (const auto problem = CurlOptions::apply(easy, properties, target, errorBuffer)) {
        fail(*problem);
        return false;
    }
    // Server replies mark progress and the start of the transfer (its 1xx reply).
    curl_easy_setopt(easy, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(easy, CURLOPT_DEBUGFUNCTION, &FtpStreamPrivate::debug);
    curl_easy_setopt(easy, CURLOPT_DEBUGDATA, nullptr);
    // libcurl waits for the reply after the data inside one call, blocking, for as long as the
    // server-reply time-out; its progress callback, still called every second meanwhile, keeps
    // the close's own, shorter bound.
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &FtpStreamPrivate::progress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);

    if (makesFolder()) {
        // POSTQUOTE runs after the CWD into the parent; QUOTE would run before it.
        commands = curl_slist_append(nullptr, QByteArray("MKD " + target.name()).constData());
        curl_easy_setopt(easy, CURLOPT_URL, target.parentUrl().constData());
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTQUOTE, commands);
    } else if (direction == FtpStream::Direction::Read) {
        // A URL ending in "/" lists the folder with plain LIST (not every server has MLSD).
        curl_easy_setopt(easy, CURLOPT_URL, target.url().constData());
        curl_easy_setopt(easy, CURLOPT_DIRLISTONLY, 0L);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &FtpStreamPrivate::receive);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kCurlBufferSize);
        // The size in a 150 reply may be wrong: the data ends when the server closes it.
        curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    } else {
        curl_easy_setopt(easy, CURLOPT_URL, target.url().constData());
        curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(easy, CURLOPT_READFUNCTION, &FtpStreamPrivate::send);
        curl_easy_setopt(easy, CURLOPT_READDATA, this);
        curl_easy_setopt(easy, CURLOPT_UPLOAD_BUFFERSIZE, kCurlBufferSize);
    }
    return configureTls(makesFolder() ? target.parentUrl() : target.url());
}

bool FtpStreamPrivate::configureTls(const QByteArray& transferUrl)
{
    std::optional<StreamError> problem;
    tls = TlsPolicy::configure(easy, properties, transferUrl, &problem);
    if (problem)
        fail(*problem);
    return !problem;
}

ConnectionSecurity FtpStreamPrivate::security() const
{
    return tls ? tls->security() : ConnectionSecurity{};
}

int64_t FtpStreamPrivate::read(char* out, int64_t maxLength)
{
    if (direction != FtpStream::Direction::Read || !out || maxLength <= 0)
        return -1;
    if (state == State::Running && buffer.isEmpty()) {
        // Read without a has-bytes event first: wait as a blocking read would, bounded.
        CurlMulti::instance().driveUntil(
            [this] { return !buffer.isEmpty() || state != State::Running; },
            Clock::now() + CurlOptions::timeouts().stall);
        if (state == State::Running && buffer.isEmpty())
            fail(CurlOptions::localError(CURLE_OPERATION_TIMEDOUT,
                                         QStringLiteral("No data arrived")));
    }
    if (state != State::Running && state != State::Done)
        return -1;

    const int64_t n = buffer.take(out, maxLength);
    bytesSignalled = false;
    if (n == 0) {
        if (!endSignalled) {
            endSignalled = true;
            post(NSStreamEventEndEncountered);
        }
        return 0;
    }
    if (receivePaused && buffer.size() < kResumeBelow)
        resumeReceiving();
    if (!buffer.isEmpty() || state == State::Done)
        signalBytes();
    return n;
}

int64_t FtpStreamPrivate::write(const char* data, int64_t length)
{
    if (direction != FtpStream::Direction::Write || makesFolder() || !data || length < 0 ||
        state != State::Running)
        return -1;
    const int64_t n = buffer.append(data, length);
    maxBuffered = std::max(maxBuffered, buffer.size());
    spaceSignalled = false;
    if (n > 0 && sendPaused) {
        sendPaused = false;
        lastActivity = Clock::now();
        const CURLcode rc = curl_easy_pause(easy, CURLPAUSE_CONT);
        if (rc != CURLE_OK) {
            fail(CurlOptions::errorFor(easy, rc, errorBuffer));
            return -1;
        }
    }
    signalSpace();
    return n;
}

void FtpStreamPrivate::close()
{
    if (state == State::Closed)
        return;
    if (direction == FtpStream::Direction::Write && !makesFolder() && state == State::Running) {
        // Removing the handle now would cut the remote file short without a word: send the
        // end of the data and wait, bounded, for the server's verdict on the stored file.
        closing = true;
        endOfData = true;
        if (sendPaused) {
            sendPaused = false;
            curl_easy_pause(easy, CURLPAUSE_CONT);
        }
        const auto limit = CurlOptions::timeouts().finish;
        closeDeadline = Clock::now() + limit;
        CurlMulti::instance().driveUntil([this] { return finished; }, closeDeadline);
        long reply = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &reply);
        confirmed = finished && result == CURLE_OK && (reply == 226 || reply == 250);
        if (!finished || (result == CURLE_ABORTED_BY_CALLBACK && abortedWith))
            error = CurlOptions::localError(
                CURLE_OPERATION_TIMEDOUT,
                QStringLiteral("The server did not confirm the upload within %1 ms")
                    .arg(limit.count()));
        else if (result != CURLE_OK)
            error = failureOf(result);
    }
    detach();
    state = State::Closed;
}

void FtpStreamPrivate::transferFinished(CURLcode code)
{
    finished = true;
    result = code;
    detach();
    if (closing || state != State::Running)
        return;
    if (code != CURLE_OK) {
        fail(failureOf(code));
        return;
    }
    if (direction == FtpStream::Direction::Write && !makesFolder()) {
        fail(CurlOptions::localError(CURLE_SEND_ERROR,
                                     QStringLiteral("The server ended the upload early")));
        return;
    }
    state = State::Done;
    if (makesFolder()) {
        signalOpen();
        endSignalled = true;
        post(NSStreamEventEndEncountered);
    } else {
        // The last has-bytes event: read() answers 0 on it once the buffer is empty.
        signalBytes();
    }
}

void FtpStreamPrivate::controlReply(int code)
{
    lastActivity = Clock::now();
    if (code >= 100 && code < 200 && !makesFolder())
        signalOpen();
}

void FtpStreamPrivate::watch(Clock::time_point now)
{
    // A transfer paused for its owner (a full download buffer, an upload waiting for bytes,
    // whether the owner is busy or held by a modal alert) is waiting, not stalled.
    if (!inMulti || receivePaused || sendPaused)
        return;
    if (!closing && now - lastActivity >= CurlOptions::timeouts().stall) {
        fail(stallError());
        return;
    }
    if (now - lastActivity >= kNudgeAfter && now - lastNudge >= kNudgeAfter) {
        lastNudge = now;
        nudge();
    }
}

void FtpStreamPrivate::nudge()
{
    // libcurl 7.88 driven through curl_multi_socket_action can leave a transfer with no socket
    // to watch and only its connect time-out pending: when the reply to EPSV or PASV is read in
    // the same call that sent the command, the DO phase ends at once and the data connection is
    // never started, until that time-out fails it. Pausing and resuming makes libcurl run the
    // transfer again right away; for one that is merely waiting it changes nothing.
    curl_easy_pause(easy, CURLPAUSE_RECV);
    curl_easy_pause(easy, CURLPAUSE_CONT);
}

size_t FtpStreamPrivate::receive(char* data, size_t size, size_t count, void* self)
{
    auto* d = static_cast<FtpStreamPrivate*>(self);
    const auto length = static_cast<int64_t>(size * count);
    // libcurl lists in ASCII mode and turns every CRLF (and a lone CR) into LF on the way in;
    // the listing gets its CRLF line ends back, as RFC 959 servers send them.
    const int64_t lineEnds = d->folderTarget ? std::count(data, data + length, '\n') : 0;
    const int64_t needed = length + lineEnds;
    // An empty buffer takes any chunk (libcurl's are at most kCurlBufferSize, twice that once
    // line ends are restored); otherwise keep the buffer within its limit and let libcurl hold
    // the chunk until the owner has read.
    if (!d->buffer.isEmpty() && needed > d->buffer.space()) {
        d->receivePaused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    if (needed > d->buffer.space())
        return 0;
    if (lineEnds == 0) {
        d->buffer.append(data, length);
    } else {
        const char* const end = data + length;
        for (const char* line = data; line < end;) {
            const char* lf = std::find(line, end, '\n');
            d->buffer.append(line, lf - line);
            if (lf < end)
                d->buffer.append("\r\n", 2);
            line = lf + 1;
        }
    }
    d->maxBuffered = std::max(d->maxBuffered, d->buffer.size());
    d->lastActivity = Clock::now();
    d->signalBytes();
    return static_cast<size_t>(length);
}

size_t FtpStreamPrivate::send(char* out, size_t size, size_t count, void* self)
{
    auto* d = static_cast<FtpStreamPrivate*>(self);
    // libcurl asks for bytes only once the server has accepted STOR and the data connection is up.
    d->uploadAccepted = true;
    const int64_t n = d->buffer.take(out, static_cast<int64_t>(size * count));
    if (n > 0) {
        d->lastActivity = Clock::now();
        d->signalSpace();
        return static_cast<size_t>(n);
    }
    if (d->endOfData)
        return 0;
    d->sendPaused = true;
    d->signalSpace();
    return CURL_READFUNC_PAUSE;
}

int FtpStreamPrivate::progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto* d = static_cast<FtpStreamPrivate*>(self);
    const auto now = Clock::now();
    if (d->closing ? now >= d->closeDeadline
                   : !d->receivePaused && !d->sendPaused &&
                         now - d->lastActivity >= CurlOptions::timeouts().stall) {
        d->abortedWith = d->stallError();
        return 1;
    }
    return 0;
}

int FtpStreamPrivate::debug(CURL* easy, curl_infotype type, char* data, size_t size, void*)
{
    if (type != CURLINFO_HEADER_IN || size < 3)
        return 0;
    for (size_t i = 0; i < 3; ++i)
        if (data[i] < '0' || data[i] > '9')
            return 0;
    const int code = (data[0] - '0') * 100 + (data[1] - '0') * 10 + (data[2] - '0');
    if (CurlMulti* multi = CurlMulti::existing())
        if (FtpStreamPrivate* d = multi->streamForHandle(easy))
            d->controlReply(code);
    return 0;
}

void FtpStreamPrivate::post(NSStreamEvent event)
{
    if (state == State::Closed || closing)
        return;
    if (CurlMulti* multi = CurlMulti::existing())
        multi->post(id, event);
}

void FtpStreamPrivate::signalOpen()
{
    if (openSignalled)
        return;
    openSignalled = true;
    post(NSStreamEventOpenCompleted);
}

void FtpStreamPrivate::signalBytes()
{
    if (bytesSignalled)
        return;
    signalOpen();
    bytesSignalled = true;
    post(NSStreamEventHasBytesAvailable);
}

void FtpStreamPrivate::signalSpace()
{
    if (spaceSignalled || !uploadAccepted || state != State::Running || endOfData ||
        buffer.space() == 0)
        return;
    signalOpen();
    spaceSignalled = true;
    post(NSStreamEventHasSpaceAvailable);
}

void FtpStreamPrivate::resumeReceiving()
{
    receivePaused = false;
    lastActivity = Clock::now();
    // libcurl may hand over the chunk it held before curl_easy_pause returns.
    const CURLcode rc = curl_easy_pause(easy, CURLPAUSE_CONT);
    if (rc != CURLE_OK)
        fail(CurlOptions::errorFor(easy, rc, errorBuffer));
}

void FtpStreamPrivate::detach()
{
    receivePaused = false;
    sendPaused = false;
    if (!inMulti)
        return;
    inMulti = false;
    if (CurlMulti* multi = CurlMulti::existing())
        multi->removeHandle(easy);
}

StreamError FtpStreamPrivate::stallError() const
{
    return CurlOptions::localError(
        CURLE_OPERATION_TIMEDOUT,
        QStringLiteral("No data moved for %1 ms").arg(CurlOptions::timeouts().stall.count()));
}

StreamError FtpStreamPrivate::failureOf(CURLcode code) const
{
    if (code == CURLE_ABORTED_BY_CALLBACK && abortedWith)
        return *abortedWith;
    if (tls)
        if (auto plain = tls->describe(code))
            return *plain;
    return CurlOptions::errorFor(easy, code, errorBuffer);
}

void FtpStreamPrivate::fail(const StreamError& failure)
{
    detach();
    if (state == State::Closed || state == State::Failed)
        return;
    state = State::Failed;
    error = failure;
    post(NSStreamEventErrorOccurred);
}
