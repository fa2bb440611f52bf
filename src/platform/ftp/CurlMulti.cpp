#include "platform/ftp/CurlMulti.h"

#include <algorithm>
#include <cstdlib>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QRegularExpression>
#include <QTimer>

#include "platform/ftp/CurlOptions.h"
#include "platform/ftp/FtpStreamPrivate.h"
#include "platform/ftp/FtpTarget.h"

namespace {

CurlMulti* theDriver = nullptr;

// Events handed to delegates in one go before the loop gets a turn again, and the longest such
// a pass may take: a listing's chunks take far longer each than a download's, and the window
// must repaint and take input meanwhile.
constexpr int kDeliveryBatch = 64;
constexpr auto kDeliveryTime = std::chrono::milliseconds(10);

// The longest the curl thread sleeps while transfers run. libcurl 7.88 can leave a transfer
// with no socket to wait on (when the reply to EPSV or PASV comes in the same call that sent
// the command, about every other listing or transfer against vsftpd); the next
// curl_multi_perform moves it on. The thread calls it again at once when no transfer waits on
// a socket and none is paused; this bound is what is left should another state do the same.
constexpr int kPollWhileRunningMs = 100;
constexpr int kPollIdleMs = 10000;

// Whether libcurl waits on any socket of its transfers (with none, only a timeout or a wake-up
// moves them on).
bool waitsOnSocket(CURLM* multi)
{
    fd_set read, write, error;
    FD_ZERO(&read);
    FD_ZERO(&write);
    FD_ZERO(&error);
    int highest = -1;
    curl_multi_fdset(multi, &read, &write, &error, &highest);
    return highest >= 0;
}

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

// The byte a download starts at: FileTransferOffset, 0 when absent.
int64_t resumeOffset(const FtpStreamProperties& properties)
{
    const auto it = properties.find(FtpStreamProperty::FileTransferOffset);
    return it == properties.end() ? 0 : std::max<int64_t>(0, it->second.toLongLong());
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

bool implicitTls(const FtpStreamProperties& properties)
{
    const auto it = properties.find(FtpStreamProperty::Encryption);
    return it != properties.end() &&
           encryptionFromKey(it->second.toString()) == Encryption::Implicit;
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

CurlNote noteOf(uint64_t id, CurlNote::Kind kind, int code = 0)
{
    CurlNote made;
    made.id = id;
    made.kind = kind;
    made.code = code;
    return made;
}

// A note about data. The first one also tells what protects the connection: a reused control
// connection has no handshake of its own, so only the data connection's, done by now, tells.
CurlNote dataNote(CurlTransfer& t, CurlNote::Kind kind)
{
    CurlNote data = noteOf(t.id, kind);
    if (t.tls && !std::exchange(t.dataSecurityNoted, true))
        data.security = t.tls->security();
    return data;
}

} // namespace

int CurlMulti::holds = 0;

CurlMulti& CurlMulti::instance()
{
    if (!theDriver)
        theDriver = new CurlMulti;
    return *theDriver;
}

CurlMulti* CurlMulti::existing()
{
    return theDriver;
}

CurlMulti::CurlMulti()
    : QObject(QCoreApplication::instance())
{
    CurlOptions::globalInit();
    multi = curl_multi_init();
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { quitting = true; });
    // exit() from anywhere (not only the return from main, which destroys the application and
    // this with it) runs the handlers registered since start-up first, and only then destroys
    // the statics made before them: the curl thread reads some (TLS captures, the options'
    // tables), so it ends before any of them goes. Registered after libcurl's and OpenSSL's
    // own clean-up, which then runs after it too.
    static const bool stopsAtExit = std::atexit(&CurlMulti::stopAtExit) == 0;
    Q_UNUSED(stopsAtExit);
    thread = std::thread([this] { run(); });
    // Named for profilers and debuggers.
    pthread_setname_np(thread.native_handle(), "tandrel-curl");
}

CurlMulti::~CurlMulti()
{
    stopThread();
    // Streams that outlive the application object lose their transfers here, silently.
    CurlNote lost;
    lost.kind = CurlNote::Kind::Finished;
    lost.result = CURLE_ABORTED_BY_CALLBACK;
    lost.error =
        CurlOptions::localError(CURLE_ABORTED_BY_CALLBACK, QStringLiteral("The application quit"));
    const auto left = listeners;
    for (const auto& [id, listener] : left) {
        lost.id = id;
        listener(lost);
    }
    theDriver = nullptr;
}

void CurlMulti::stopAtExit()
{
    if (theDriver)
        theDriver->stopThread();
}

void CurlMulti::stopThread()
{
    // Once only, and never from the curl thread itself (it would wait for itself).
    if (!thread.joinable() || thread.get_id() == std::this_thread::get_id())
        return;
    // Quitting ends every transfer at once: a server withholding a reply holds the curl thread
    // inside libcurl, and shutting the sockets down ends that wait (and the QUIT the connection
    // cache would wait for) right away.
    shuttingDown = true;
    {
        std::lock_guard guard(lock);
        stopping = true;
        for (const curl_socket_t fd : sockets)
            ::shutdown(fd, SHUT_RDWR);
        // Under the lock: the curl thread cleans the multi handle up once it has seen stopping.
        curl_multi_wakeup(multi);
    }
    thread.join();
}

void CurlMulti::listen(uint64_t id, std::function<void(const CurlNote&)> listener)
{
    listeners[id] = std::move(listener);
}

void CurlMulti::forget(uint64_t id)
{
    listeners.erase(id);
    streams.erase(id);
}

void CurlMulti::registerStream(uint64_t id, FtpStreamPrivate* stream)
{
    streams[id] = stream;
}

void CurlMulti::start(const std::shared_ptr<CurlTransfer>& transfer)
{
    transfer->trust = TlsPolicy::trustFor(FtpTarget(transfer->url).url(), transfer->properties);
    command(Command{Command::Kind::Start, transfer->id, transfer});
}

void CurlMulti::resume(uint64_t id)
{
    command(Command{Command::Kind::Resume, id, nullptr});
}

void CurlMulti::stop(uint64_t id)
{
    command(Command{Command::Kind::Stop, id, nullptr});
}

void CurlMulti::releaseAfterPass(uint64_t id)
{
    if (std::find(releases.begin(), releases.end(), id) == releases.end())
        releases.push_back(id);
    scheduleDelivery();
}

void CurlMulti::command(Command next)
{
    {
        std::lock_guard guard(lock);
        // Once the curl thread stops, nothing is left to command.
        if (stopping)
            return;
        commands.push_back(std::move(next));
    }
    curl_multi_wakeup(multi);
}

// --- The main thread: notes from the curl thread, events to delegates ---

void CurlMulti::deliverNotes()
{
    std::deque<CurlNote> taken;
    {
        std::lock_guard guard(lock);
        taken.swap(notes);
    }
    for (const CurlNote& next : taken) {
        // A listener may forget itself or others: look each one up afresh.
        const auto it = listeners.find(next.id);
        if (it != listeners.end())
            it->second(next);
    }
    emit notesHandled();
}

void CurlMulti::post(uint64_t id, NSStreamEvent event)
{
    if (shuttingDown)
        return;
    events.push_back(QueuedEvent{id, event});
    scheduleDelivery();
}

void CurlMulti::postFirst(uint64_t id, const std::vector<NSStreamEvent>& parked)
{
    if (shuttingDown)
        return;
    for (auto it = parked.rbegin(); it != parked.rend(); ++it)
        events.push_front(QueuedEvent{id, *it});
    scheduleDelivery();
}

void CurlMulti::scheduleDelivery()
{
    const bool eventsDue = holds == 0 && !events.empty();
    if (deliveryScheduled || (!eventsDue && releases.empty()))
        return;
    deliveryScheduled = true;
    QMetaObject::invokeMethod(this, &CurlMulti::deliverEvents, Qt::QueuedConnection);
}

void CurlMulti::deliverEvents()
{
    deliveryScheduled = false;
    const Clock::time_point until = Clock::now() + kDeliveryTime;
    for (int n = 0;
         n < kDeliveryBatch && holds == 0 && !events.empty() && (n == 0 || Clock::now() < until);
         ++n) {
        const QueuedEvent next = events.front();
        events.pop_front();
        const auto it = streams.find(next.id);
        if (it == streams.end())
            continue;
        if (!it->second->deliverable()) {
            if (it->second->offTheLoop())
                it->second->park(next.event);
            continue;
        }
        // The delegate may close and destroy the stream in this call: nothing of it is
        // touched afterwards, and the next event looks its stream up afresh.
        FtpStream* stream = it->second->q;
        FtpStreamDelegate* delegate = it->second->delegate;
        delegate->streamHandleEvent(stream, next.event);
    }
    for (const uint64_t id : std::exchange(releases, {})) {
        if (const auto it = streams.find(id); it != streams.end())
            it->second->releaseSend();
    }
    scheduleDelivery();
}

bool CurlMulti::waitFor(const std::function<bool()>& done, Clock::time_point deadline)
{
    // Notes already here are taken now. Their delivery may be posted behind the call that
    // waits, where the loop below does not reach it until something new is posted, and later
    // notes only join a delivery already posted: the answer waited for would sit behind it
    // until the deadline. With none left, the next note posts a delivery of its own.
    deliverNotes();
    if (done())
        return true;
    if (quitting || shuttingDown)
        return false;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &CurlMulti::notesHandled, &loop, [&] {
        if (done())
            loop.quit();
    });
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    limit.start(std::max<std::chrono::milliseconds>(left, std::chrono::milliseconds(0)));
    takeHold();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    releaseHold();
    return done();
}

void CurlMulti::takeHold()
{
    ++holds;
}

void CurlMulti::releaseHold()
{
    if (holds > 0)
        --holds;
    if (holds == 0 && theDriver)
        theDriver->scheduleDelivery();
}

// --- The curl thread ---

void CurlMulti::note(CurlNote next)
{
    bool first = false;
    {
        std::lock_guard guard(lock);
        first = notes.empty();
        notes.push_back(std::move(next));
    }
    if (first)
        QMetaObject::invokeMethod(this, &CurlMulti::deliverNotes, Qt::QueuedConnection);
}

void CurlMulti::run()
{
    for (;;) {
        std::vector<Command> todo;
        bool quit = false;
        {
            std::lock_guard guard(lock);
            todo.swap(commands);
            quit = stopping;
        }
        if (quit)
            break;
        for (Command& next : todo) {
            if (next.kind == Command::Kind::Start) {
                begin(next.transfer);
                continue;
            }
            const auto it = running.find(next.id);
            if (it == running.end())
                continue;
            if (next.kind == Command::Kind::Resume) {
                // libcurl may hand over the chunk it held before curl_easy_pause returns.
                CurlTransfer& t = *it->second;
                const CURLcode rc = curl_easy_pause(t.easy, CURLPAUSE_CONT);
                if (rc != CURLE_OK) {
                    CurlNote failed = noteOf(t.id, CurlNote::Kind::Finished);
                    failed.result = rc;
                    failed.error = CurlOptions::errorFor(t.easy, rc, t.errorBuffer);
                    end(t);
                    running.erase(it);
                    note(std::move(failed));
                }
            } else {
                end(*it->second);
                running.erase(it);
            }
        }
        if (!running.empty()) {
            int active = 0;
            curl_multi_perform(multi, &active);
            if (active > 0 && !waitsOnSocket(multi) && !anyPaused())
                curl_multi_perform(multi, &active);
            collectFinished();
        }
        curl_multi_poll(multi, nullptr, 0, running.empty() ? kPollIdleMs : kPollWhileRunningMs,
                        nullptr);
    }
    for (auto& [id, transfer] : running)
        end(*transfer);
    running.clear();
    curl_multi_cleanup(multi);
    multi = nullptr;
}

void CurlMulti::begin(const std::shared_ptr<CurlTransfer>& transfer)
{
    CurlTransfer& t = *transfer;
    CurlNote failed;
    failed.id = t.id;
    failed.kind = CurlNote::Kind::Finished;
    failed.result = CURLE_FAILED_INIT;
    t.easy = curl_easy_init();
    if (!t.easy) {
        failed.error =
            CurlOptions::localError(CURLE_OUT_OF_MEMORY, QStringLiteral("No transfer handle"));
        note(failed);
        return;
    }
    CURL* easy = t.easy;
    const FtpTarget target(t.url);
    // The handle carries the transfer's id, not its address.
    curl_easy_setopt(easy, CURLOPT_PRIVATE, reinterpret_cast<void*>(static_cast<uintptr_t>(t.id)));
    if (const auto problem = CurlOptions::apply(easy, t.properties, target, t.errorBuffer)) {
        end(t);
        failed.error = *problem;
        note(failed);
        return;
    }
    // The driver outlives every connection libcurl keeps: it is the sockets' callback data.
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, &CurlMulti::openSocket);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, &CurlMulti::closeSocket);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, this);
    // The server's replies, one line at a time: the start of the transfer, announced sizes,
    // and the words of a refusal.
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlMulti::header);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &t);
    // Called at least once a second, also while libcurl waits for a reply inside one call.
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &CurlMulti::progress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &t);

    switch (t.kind) {
    case CurlTransfer::Kind::MakeFolder:
    case CurlTransfer::Kind::Delete:
    case CurlTransfer::Kind::Rename: {
        // POSTQUOTE runs after the CWD into the parent; QUOTE would run before it.
        if (t.kind == CurlTransfer::Kind::Rename) {
            // RFC 959, 4.1.3: RNFR names the entry, RNTO its new name in the same folder.
            t.postCommands =
                curl_slist_append(nullptr, QByteArray("RNFR " + target.name()).constData());
            t.postCommands =
                curl_slist_append(t.postCommands, QByteArray("RNTO " + t.renameTo).constData());
        } else {
            const QByteArray verb = t.kind == CurlTransfer::Kind::MakeFolder ? "MKD "
                                    : target.isFolder()                      ? "RMD "
                                                                             : "DELE ";
            t.postCommands =
                curl_slist_append(nullptr, QByteArray(verb + target.name()).constData());
        }
        curl_easy_setopt(easy, CURLOPT_URL, target.parentUrl().constData());
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTQUOTE, t.postCommands);
        if (t.kind != CurlTransfer::Kind::MakeFolder)
            curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS,
                             static_cast<long>(CurlOptions::timeouts().finish.count()));
        // A connection of its own, logged in afresh with the delete's login.
        if (t.kind == CurlTransfer::Kind::Delete)
            curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, 1L);
        break;
    }
    case CurlTransfer::Kind::Download:
        if (t.sizeOnly) {
            // No RETR: libcurl asks SIZE (RFC 3659) for a transfer without a body, and writes
            // what it learnt as header lines, also to the body: those are dropped.
            curl_easy_setopt(easy, CURLOPT_URL, target.url().constData());
            curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
            curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlMulti::discard);
            break;
        }
        if (const int64_t offset = resumeOffset(t.properties); offset > 0) {
            // REST goes out only on libcurl's own SIZE path, which ignoring the 150 reply's
            // size skips (the whole file would come and be appended): libcurl asks SIZE itself
            // here, and that size then bounds the data.
            curl_easy_setopt(easy, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(offset));
        } else {
            // libcurl asks no SIZE itself when it ignores the 150 reply's size: ask it here, in
            // binary mode right before RETR; the "*" lets a server without SIZE go on to RETR.
            t.preCommands =
                curl_slist_append(nullptr, QByteArray("*SIZE " + target.name()).constData());
            curl_easy_setopt(easy, CURLOPT_PREQUOTE, t.preCommands);
        }
        // MDTM before the transfer: a partial file continues only the version it was made from.
        curl_easy_setopt(easy, CURLOPT_FILETIME, 1L);
        [[fallthrough]];
    case CurlTransfer::Kind::Listing:
        // A URL ending in "/" lists the folder with plain LIST (not every server has MLSD).
        curl_easy_setopt(easy, CURLOPT_URL, target.url().constData());
        curl_easy_setopt(easy, CURLOPT_DIRLISTONLY, 0L);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlMulti::receive);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &t);
        curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, CurlTransfer::kCurlBufferSize);
        // The size in a 150 reply may be wrong: the data ends when the server closes it. A
        // download from an offset is bounded by the SIZE answer instead (less data than that
        // fails as a partial file); REST refused fails with CURLE_FTP_COULDNT_USE_REST.
        curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH,
                         resumeOffset(t.properties) > 0 ? 0L : 1L);
        break;
    case CurlTransfer::Kind::Upload:
        curl_easy_setopt(easy, CURLOPT_URL, target.url().constData());
        curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(easy, CURLOPT_READFUNCTION, &CurlMulti::send);
        curl_easy_setopt(easy, CURLOPT_READDATA, &t);
        curl_easy_setopt(easy, CURLOPT_UPLOAD_BUFFERSIZE, CurlTransfer::kCurlUploadBufferSize);
        break;
    }
    // TLS as the Encryption property asks (implicit TLS sets the URL again, as ftps://).
    const bool inParent = t.kind == CurlTransfer::Kind::MakeFolder ||
                          t.kind == CurlTransfer::Kind::Delete ||
                          t.kind == CurlTransfer::Kind::Rename;
    std::optional<StreamError> tlsProblem;
    t.tls = TlsPolicy::configure(easy, t.properties, inParent ? target.parentUrl() : target.url(),
                                 t.kind == CurlTransfer::Kind::Upload, t.trust, &tlsProblem);
    if (tlsProblem) {
        end(t);
        failed.error = *tlsProblem;
        note(failed);
        return;
    }
    // Port 990 is implicit TLS's: there a greeting that does not come says so within seconds.
    if (t.url.port(21) == 990 && !implicitTls(t.properties))
        t.greetingWait = std::min<std::chrono::milliseconds>(std::chrono::seconds(5),
                                                             CurlOptions::timeouts().response);
    {
        std::lock_guard guard(t.mutex);
        t.lastActivity = CurlTransfer::Clock::now();
    }
    t.begun = CurlTransfer::Clock::now();
    curl_multi_add_handle(multi, easy);
    running.emplace(t.id, transfer);
}

void CurlMulti::end(CurlTransfer& transfer)
{
    if (!transfer.easy)
        return;
    curl_multi_remove_handle(multi, transfer.easy);
    curl_easy_cleanup(transfer.easy);
    transfer.easy = nullptr;
    curl_slist_free_all(transfer.preCommands);
    curl_slist_free_all(transfer.postCommands);
    transfer.preCommands = transfer.postCommands = nullptr;
    transfer.tls.reset();
}

// Whether a running transfer waits for its owner to read or write.
bool CurlMulti::anyPaused()
{
    return std::any_of(running.begin(), running.end(), [](const auto& entry) {
        std::lock_guard guard(entry.second->mutex);
        return entry.second->receivePaused || entry.second->sendPaused;
    });
}

void CurlMulti::collectFinished()
{
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        CURL* easy = message->easy_handle;
        const CURLcode result = message->data.result;
        void* data = nullptr;
        curl_easy_getinfo(easy, CURLINFO_PRIVATE, &data);
        const auto it = running.find(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(data)));
        if (it == running.end()) {
            curl_multi_remove_handle(multi, easy);
            continue;
        }
        CurlTransfer& t = *it->second;
        CurlNote done;
        done.id = t.id;
        done.kind = CurlNote::Kind::Finished;
        done.result = result;
        long reply = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &reply);
        // An upload's verdict is the reply that ended it: a connection closed when done (no
        // TLS ticket left) answers QUIT after it.
        done.code = t.kind == CurlTransfer::Kind::Upload && t.verdict != 0
                        ? t.verdict
                        : static_cast<int>(reply);
        const std::optional<StreamError> tlsFailure =
            t.tls && result != CURLE_OK ? t.tls->describe(result) : std::nullopt;
        if (result == CURLE_ABORTED_BY_CALLBACK && t.abortedWith)
            done.error = *t.abortedWith;
        else if (tlsFailure)
            done.error = *tlsFailure;
        else if (result != CURLE_OK)
            done.error = CurlOptions::errorFor(easy, result, t.errorBuffer, t.lastRefusal);
        if (t.tls)
            done.security = t.tls->security();
        const std::shared_ptr<CurlTransfer> followUp = emptyFileCheck(t, result);
        end(t);
        running.erase(it);
        note(std::move(done));
        if (followUp)
            begin(followUp);
    }
}

// A failed upload the server had accepted may have left an empty file under the user's name
// (the data connection refused after the server opened the file): its size is asked, and an
// empty file is removed. A partly sent file stays.
std::shared_ptr<CurlTransfer> CurlMulti::emptyFileCheck(CurlTransfer& t, CURLcode result)
{
    // Transfers of the driver's own have ids no owner uses, and no listener.
    static uint64_t ownIds = uint64_t(1) << 63;
    {
        std::lock_guard guard(lock);
        if (stopping)
            return nullptr;
    }
    if (t.kind == CurlTransfer::Kind::Upload && result != CURLE_OK && t.transferAccepted) {
        auto probe = std::make_shared<CurlTransfer>(++ownIds, CurlTransfer::Kind::Download, t.url,
                                                    t.properties);
        probe->sizeOnly = true;
        probe->trust = t.trust;
        return probe;
    }
    curl_off_t size = -1;
    if (t.sizeOnly && result == CURLE_OK &&
        curl_easy_getinfo(t.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size) == CURLE_OK &&
        size == 0) {
        auto removal = std::make_shared<CurlTransfer>(++ownIds, CurlTransfer::Kind::Delete, t.url,
                                                      t.properties);
        removal->trust = t.trust;
        return removal;
    }
    return nullptr;
}

curl_socket_t CurlMulti::openSocket(void* self, curlsocktype, curl_sockaddr* address)
{
    auto* driver = static_cast<CurlMulti*>(self);
    const curl_socket_t fd =
        ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    if (fd == CURL_SOCKET_BAD)
        return fd;
    std::lock_guard guard(driver->lock);
    driver->sockets.insert(fd);
    return fd;
}

int CurlMulti::closeSocket(void* self, curl_socket_t fd)
{
    auto* driver = static_cast<CurlMulti*>(self);
    // Closed under the lock, so that the shutdown at exit never meets a number reused meanwhile.
    std::lock_guard guard(driver->lock);
    driver->sockets.erase(fd);
    return ::close(fd);
}

size_t CurlMulti::receive(char* data, size_t size, size_t count, void* transfer)
{
    auto* t = static_cast<CurlTransfer*>(transfer);
    const auto length = static_cast<int64_t>(size * count);
    // libcurl lists in ASCII mode and turns every CRLF (and a lone CR) into LF on the way in;
    // the listing gets its CRLF line ends back, as RFC 959 servers send them.
    const bool listing = t->kind == CurlTransfer::Kind::Listing;
    const int64_t lineEnds = listing ? std::count(data, data + length, '\n') : 0;
    const int64_t needed = length + lineEnds;
    bool tell = false;
    {
        std::lock_guard guard(t->mutex);
        // An empty buffer takes any chunk (libcurl's are at most kCurlBufferSize, twice that
        // once line ends are restored); otherwise keep the buffer within its limit and let
        // libcurl hold the chunk until the owner has read. libcurl 7.88 converts the line ends
        // of a held listing chunk again when it hands it over, and drops an LF at its start
        // when the read it came from ended in CR (two entries become one): such a chunk is
        // taken into the listing buffer's spare room instead.
        const bool mustTake = listing && length > 0 && data[0] == '\n';
        if (!t->buffer.isEmpty() && t->buffer.size() + needed > t->bufferLimit &&
            !(mustTake && needed <= t->buffer.space())) {
            t->receivePaused = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        if (needed > t->buffer.space())
            return 0;
        if (lineEnds == 0) {
            t->buffer.append(data, length);
        } else {
            const char* const end = data + length;
            for (const char* line = data; line < end;) {
                const char* lf = std::find(line, end, '\n');
                t->buffer.append(line, lf - line);
                if (lf < end)
                    t->buffer.append("\r\n", 2);
                line = lf + 1;
            }
        }
        t->maxBuffered = std::max(t->maxBuffered, t->buffer.size());
        t->lastActivity = CurlTransfer::Clock::now();
        tell = !std::exchange(t->bytesNoted, true);
    }
    if (tell && theDriver)
        theDriver->note(dataNote(*t, CurlNote::Kind::Bytes));
    return static_cast<size_t>(length);
}

size_t CurlMulti::discard(char*, size_t size, size_t count, void*)
{
    return size * count;
}

size_t CurlMulti::send(char* out, size_t size, size_t count, void* transfer)
{
    auto* t = static_cast<CurlTransfer*>(transfer);
    size_t given = 0;
    bool tell = false;
    {
        // libcurl asks for bytes only once the server has accepted STOR and the data
        // connection is up.
        std::lock_guard guard(t->mutex);
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
    if (tell && theDriver)
        theDriver->note(dataNote(*t, CurlNote::Kind::Space));
    return given;
}

size_t CurlMulti::header(char* data, size_t size, size_t count, void* transfer)
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
    if (theDriver)
        theDriver->note(std::move(reply));
    return length;
}

int CurlMulti::progress(void* transfer, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
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
