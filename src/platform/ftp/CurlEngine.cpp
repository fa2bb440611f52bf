#include "platform/ftp/CurlEngine.h"

#include <algorithm>
#include <pthread.h>
#include <sys/socket.h>

#include "platform/ftp/CurlOptions.h"
#include "platform/ftp/FtpTarget.h"

namespace {

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

// Transfers of the driver's own (size checks, clean-ups) have ids no owner uses, and no listener.
uint64_t nextOwnId()
{
    static uint64_t ownIds = uint64_t(1) << 63;
    return ++ownIds;
}

// The byte a download starts at, or after which an upload appends: FileTransferOffset, 0 when
// absent.
int64_t resumeOffset(const FtpStreamProperties& properties)
{
    const auto it = properties.find(FtpStreamProperty::FileTransferOffset);
    return it == properties.end() ? 0 : std::max<int64_t>(0, it->second.toLongLong());
}

// The owner of an FTP download from the start may check what arrives against sizes it knows;
// a download from an offset always asks SIZE.
bool asksSize(const FtpStreamProperties& properties)
{
    const auto it = properties.find(FtpStreamProperty::SkipSize);
    return resumeOffset(properties) > 0 || it == properties.end() || !it->second.toBool();
}

// The SFTP quote command that makes, removes or renames the target (libcurl's "mkdir",
// "rmdir", "rm", "rename"), its paths quoted.
QByteArray sftpCommand(const CurlTransfer& t, const FtpTarget& target)
{
    switch (t.kind) {
    case CurlTransfer::Kind::MakeFolder:
        return "mkdir " + target.sftpPathArgument();
    case CurlTransfer::Kind::Delete:
        return (target.isFolder() ? "rmdir " : "rm ") + target.sftpPathArgument();
    default: {
        QByteArray path = target.sftpPath();
        path.truncate(path.lastIndexOf('/') + 1);
        return "rename " + target.sftpPathArgument() + ' ' +
               FtpTarget::sftpQuoted(path + t.renameTo);
    }
    }
}

// A transfer that failed once its data moved: libcurl says only "Error in the SSH layer" when the
// connection was lost or the server failed to read or write the file, which it cannot tell
// apart. None before any data moved.
std::optional<StreamError> brokenOff(const CurlTransfer& t, CURLcode result)
{
    if (result != CURLE_SSH && result != CURLE_RECV_ERROR && result != CURLE_SEND_ERROR)
        return std::nullopt;
    if (t.kind == CurlTransfer::Kind::Download) {
        curl_off_t received = 0;
        curl_off_t left = -1;
        curl_easy_getinfo(t.easy, CURLINFO_SIZE_DOWNLOAD_T, &received);
        curl_easy_getinfo(t.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &left);
        if (received <= 0 || left < 0)
            return std::nullopt;
        const int64_t offset = resumeOffset(t.properties);
        return CurlOptions::downloadBrokenOff(result, offset + received, offset + left);
    }
    if (t.kind != CurlTransfer::Kind::Upload || !t.transferAccepted)
        return std::nullopt;
    curl_off_t sent = 0;
    curl_easy_getinfo(t.easy, CURLINFO_SIZE_UPLOAD_T, &sent);
    return CurlOptions::uploadBrokenOff(result, sent);
}

// What failed an SFTP transfer where libcurl's words would not say it: a refused log-in, a host
// key not trusted, a server that never began SSH, a transfer broken off. None for other
// failures.
std::optional<StreamError> sshFailure(const CurlTransfer& t, CURLcode result)
{
    if (result == CURLE_LOGIN_DENIED)
        return CurlOptions::sshLoginRefused(t.properties, t.url);
    if (auto broken = brokenOff(t, result))
        return broken;
    if (t.ssh && t.ssh->problem == ConnectionSecurity::Problem::Untrusted)
        return CurlOptions::localError(
            result, QStringLiteral("The host key of %1 is not known").arg(t.ssh->hostPort));
    if (t.ssh && t.ssh->problem == ConnectionSecurity::Problem::Changed)
        return CurlOptions::localError(
            result, QStringLiteral("The host key of %1 has changed: it is %2, known was %3")
                        .arg(t.ssh->hostPort, t.ssh->hostKey->fingerprint,
                             t.ssh->hostKey->previousFingerprint));
    curl_off_t connected = 0;
    curl_easy_getinfo(t.easy, CURLINFO_CONNECT_TIME_T, &connected);
    const bool handshakeFailed = result == CURLE_OPERATION_TIMEDOUT || result == CURLE_SSH ||
                                 result == CURLE_RECV_ERROR || result == CURLE_SEND_ERROR ||
                                 result == CURLE_GOT_NOTHING;
    if (!t.hostKeySeen && connected > 0 && handshakeFailed)
        return CurlOptions::localError(
            result, QStringLiteral("%1 is not an SSH server: it did not begin SSH")
                        .arg(t.url.host() + QLatin1Char(':') + QString::number(t.url.port(22))));
    return std::nullopt;
}

} // namespace

CurlEngine::CurlEngine(std::function<void()> notesWaiting)
    : notesWaiting(std::move(notesWaiting))
{}

CurlEngine::~CurlEngine()
{
    shutDown();
}

bool CurlEngine::shutDown()
{
    if (thread.get_id() == std::this_thread::get_id())
        return false;
    // Quitting ends every transfer at once: a server withholding a reply holds the curl thread
    // inside libcurl, and shutting the sockets down ends that wait (and the QUIT the connection
    // cache would wait for) right away.
    {
        std::lock_guard guard(lock);
        if (stopping)
            return false;
        stopping = true;
        if (!thread.joinable())
            return true;
        for (const curl_socket_t fd : sockets)
            ::shutdown(fd, SHUT_RDWR);
        // Under the lock: the curl thread cleans the multi handle up once it has seen stopping.
        curl_multi_wakeup(multi);
    }
    thread.join();
    return true;
}

void CurlEngine::start(const std::shared_ptr<CurlTransfer>& transfer)
{
    command(Command{Command::Kind::Start, transfer->id, transfer});
}

void CurlEngine::resume(uint64_t id)
{
    command(Command{Command::Kind::Resume, id, nullptr});
}

void CurlEngine::stop(uint64_t id)
{
    command(Command{Command::Kind::Stop, id, nullptr});
}

void CurlEngine::command(Command next)
{
    {
        std::lock_guard guard(lock);
        // Once the curl thread stops, nothing is left to command.
        if (stopping)
            return;
        // Started by the first transfer: a session whose every transfer goes through SSH never
        // needs it (and a resume or stop before it has nothing to act on).
        if (!thread.joinable() && next.kind != Command::Kind::Start)
            return;
        commands.push_back(std::move(next));
        if (!thread.joinable()) {
            multi = curl_multi_init();
            thread = std::thread([this] { run(); });
            // Named for profilers and debuggers.
            pthread_setname_np(thread.native_handle(), "tandrel-curl");
            return;
        }
    }
    curl_multi_wakeup(multi);
}

std::deque<CurlNote> CurlEngine::takeNotes()
{
    std::deque<CurlNote> taken;
    {
        std::lock_guard guard(lock);
        taken.swap(notes);
    }
    return taken;
}

// --- The curl thread ---

void CurlEngine::note(CurlNote next)
{
    bool first = false;
    {
        std::lock_guard guard(lock);
        first = notes.empty();
        notes.push_back(std::move(next));
    }
    if (first)
        notesWaiting();
}

CurlNote CurlEngine::noteOf(uint64_t id, CurlNote::Kind kind, int code)
{
    CurlNote made;
    made.id = id;
    made.kind = kind;
    made.code = code;
    return made;
}

void CurlEngine::run()
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
        int wait = running.empty() ? kPollIdleMs : kPollWhileRunningMs;
        if (!running.empty()) {
            int active = 0;
            curl_multi_perform(multi, &active);
            if (active > 0 && !waitsOnSocket(multi) && !anyPaused())
                curl_multi_perform(multi, &active);
            collectFinished();
            for (auto& [id, transfer] : running)
                wait = tellWaitingBytes(*transfer, wait);
        }
        curl_multi_poll(multi, nullptr, 0, wait, nullptr);
    }
    for (auto& [id, transfer] : running)
        end(*transfer);
    running.clear();
    curl_multi_cleanup(multi);
    multi = nullptr;
}

void CurlEngine::begin(const std::shared_ptr<CurlTransfer>& transfer)
{
    CurlTransfer& t = *transfer;
    if (t.kind == CurlTransfer::Kind::Upload && t.protocol == Protocol::SFTP &&
        !std::exchange(t.existenceAsked, true)) {
        // Whether the file is there before the upload opens (and empties) it: only a file the
        // upload made is removed should it fail. The upload starts once this check ends.
        auto check = std::make_shared<CurlTransfer>(nextOwnId(), CurlTransfer::Kind::Download,
                                                    t.url, t.properties);
        check->sizeOnly = true;
        check->sshTrust = t.sshTrust;
        check->uploadAfter = transfer;
        begin(check);
        return;
    }
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
    t.engine = this;
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
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, &CurlEngine::openSocket);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, &CurlEngine::closeSocket);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, this);
    // The server's replies, one line at a time: the start of the transfer, announced sizes,
    // and the words of a refusal.
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlEngine::header);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &t);
    // Called at least once a second, also while libcurl waits for a reply inside one call.
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &CurlEngine::progress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &t);

    const bool sftp = t.protocol == Protocol::SFTP;
    switch (t.kind) {
    case CurlTransfer::Kind::MakeFolder:
    case CurlTransfer::Kind::Delete:
    case CurlTransfer::Kind::Rename: {
        // POSTQUOTE runs after the CWD into the parent; QUOTE would run before it. SFTP has no
        // working folder: its commands name whole paths.
        if (sftp) {
            t.postCommands = curl_slist_append(nullptr, sftpCommand(t, target).constData());
        } else if (t.kind == CurlTransfer::Kind::Rename) {
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
        curl_easy_setopt(easy, sftp ? CURLOPT_QUOTE : CURLOPT_POSTQUOTE, t.postCommands);
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
            curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlEngine::discard);
            break;
        }
        if (const int64_t offset = resumeOffset(t.properties); offset > 0 || sftp) {
            // REST goes out only on libcurl's own SIZE path, which ignoring the 150 reply's
            // size skips (the whole file would come and be appended): libcurl asks SIZE itself
            // here, and that size then bounds the data.
            // libcurl's SFTP looks the file's size up before reading it; the receiver notes it.
            if (offset > 0)
                curl_easy_setopt(easy, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(offset));
        } else if (asksSize(t.properties)) {
            // libcurl asks no SIZE itself when it ignores the 150 reply's size: ask it here, in
            // binary mode right before RETR; the "*" lets a server without SIZE go on to RETR.
            t.preCommands =
                curl_slist_append(nullptr, QByteArray("*SIZE " + target.name()).constData());
            curl_easy_setopt(easy, CURLOPT_PREQUOTE, t.preCommands);
        }
        // MDTM before the transfer: a partial file continues only the version it was made from.
        // A file fetched whole without SIZE leaves no partial file to continue.
        if (asksSize(t.properties))
            curl_easy_setopt(easy, CURLOPT_FILETIME, 1L);
        [[fallthrough]];
    case CurlTransfer::Kind::Listing:
        // A URL ending in "/" lists the folder with plain LIST (not every server has MLSD).
        curl_easy_setopt(easy, CURLOPT_URL, target.url().constData());
        curl_easy_setopt(easy, CURLOPT_DIRLISTONLY, 0L);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlEngine::receive);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &t);
        curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, CurlTransfer::kCurlBufferSize);
        // The size in a 150 reply may be wrong: the data ends when the server closes it. A
        // download from an offset is bounded by the SIZE answer instead (less data than that
        // fails as a partial file); REST refused fails with CURLE_FTP_COULDNT_USE_REST.
        curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH,
                         resumeOffset(t.properties) > 0 || sftp ? 0L : 1L);
        break;
    case CurlTransfer::Kind::Upload:
        curl_easy_setopt(easy, CURLOPT_URL, target.url().constData());
        curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(easy, CURLOPT_READFUNCTION, &CurlEngine::send);
        curl_easy_setopt(easy, CURLOPT_READDATA, &t);
        curl_easy_setopt(easy, CURLOPT_UPLOAD_BUFFERSIZE, CurlTransfer::kCurlUploadBufferSize);
        // The owner sends only what follows the offset: it goes after what the server holds.
        if (resumeOffset(t.properties) > 0)
            curl_easy_setopt(easy, CURLOPT_APPEND, 1L);
        break;
    }
    if (sftp) {
        // The host key is checked against ~/.ssh/known_hosts (libssh2 reads it, hashed entries
        // too) and then Tandrel's own trust, before any password or key is sent.
        curl_easy_setopt(easy, CURLOPT_SSH_KNOWNHOSTS, t.sshTrust.knownHostsFile.constData());
        curl_easy_setopt(easy, CURLOPT_SSH_KEYFUNCTION, &CurlEngine::hostKey);
        curl_easy_setopt(easy, CURLOPT_SSH_KEYDATA, &t);
        if (const auto seen = sshHosts.find(t.sshTrust.hostEntry); seen != sshHosts.end())
            t.ssh = seen->second;
    }
    // TLS as the Encryption property asks (implicit TLS sets the URL again, as ftps://).
    const bool inParent = t.kind == CurlTransfer::Kind::MakeFolder ||
                          t.kind == CurlTransfer::Kind::Delete ||
                          t.kind == CurlTransfer::Kind::Rename;
    std::optional<StreamError> tlsProblem;
    if (!sftp)
        t.tls =
            TlsPolicy::configure(easy, t.encryption, inParent ? target.parentUrl() : target.url(),
                                 t.kind == CurlTransfer::Kind::Upload, t.trust, &tlsProblem);
    if (tlsProblem) {
        end(t);
        failed.error = *tlsProblem;
        note(failed);
        return;
    }
    // Port 990 is implicit TLS's: there a greeting that does not come says so within seconds.
    if (!sftp && t.url.port(21) == 990 && t.encryption != Encryption::Implicit)
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

void CurlEngine::end(CurlTransfer& transfer)
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
bool CurlEngine::anyPaused()
{
    return std::any_of(running.begin(), running.end(), [](const auto& entry) {
        std::lock_guard guard(entry.second->mutex);
        return entry.second->receivePaused || entry.second->sendPaused;
    });
}

void CurlEngine::collectFinished()
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
        else if (t.protocol == Protocol::SFTP && result != CURLE_OK && sshFailure(t, result))
            done.error = *sshFailure(t, result);
        else if (result != CURLE_OK)
            done.error = CurlOptions::errorFor(easy, result, t.errorBuffer, t.lastRefusal);
        if (t.tls)
            done.security = t.tls->security();
        else if (t.ssh)
            done.security = t.ssh;
        if (t.uploadAfter) {
            const std::shared_ptr<CurlTransfer> upload = std::move(t.uploadAfter);
            end(t);
            running.erase(it);
            startUploadAfterCheck(upload, result, std::move(done));
            continue;
        }
        const std::shared_ptr<CurlTransfer> followUp = emptyFileCheck(t, result);
        end(t);
        running.erase(it);
        note(std::move(done));
        if (followUp)
            begin(followUp);
    }
}

// The size check before an SFTP upload has ended: the upload starts knowing whether its file
// was there (a file the check could not see counts as there), unless the check could not reach
// the server, which the upload's owner then hears as its own failure.
void CurlEngine::startUploadAfterCheck(const std::shared_ptr<CurlTransfer>& upload, CURLcode result,
                                       CurlNote checked)
{
    if (upload->stopRequested)
        return;
    if (result != CURLE_OK && result != CURLE_REMOTE_FILE_NOT_FOUND &&
        result != CURLE_REMOTE_ACCESS_DENIED) {
        checked.id = upload->id;
        note(std::move(checked));
        return;
    }
    upload->existedBefore = result != CURLE_REMOTE_FILE_NOT_FOUND;
    begin(upload);
}

// A failed upload the server had accepted may have left an empty file under the user's name
// (the data connection refused after the server opened the file): over FTP its size is asked,
// and an empty file is removed; a partly sent file stays. Over SFTP, where the upload knows
// whether the file was there before, a file it made is removed, empty or partial.
std::shared_ptr<CurlTransfer> CurlEngine::emptyFileCheck(CurlTransfer& t, CURLcode result)
{
    {
        std::lock_guard guard(lock);
        if (stopping)
            return nullptr;
    }
    const bool failedUpload =
        t.kind == CurlTransfer::Kind::Upload && result != CURLE_OK && t.transferAccepted;
    if (failedUpload && t.protocol == Protocol::FTP) {
        auto probe = std::make_shared<CurlTransfer>(nextOwnId(), CurlTransfer::Kind::Download,
                                                    t.url, t.properties);
        probe->sizeOnly = true;
        probe->trust = t.trust;
        return probe;
    }
    if (failedUpload && !t.existedBefore) {
        auto removal = std::make_shared<CurlTransfer>(nextOwnId(), CurlTransfer::Kind::Delete,
                                                      t.url, t.properties);
        removal->sshTrust = t.sshTrust;
        return removal;
    }
    curl_off_t size = -1;
    if (t.sizeOnly && result == CURLE_OK &&
        curl_easy_getinfo(t.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size) == CURLE_OK &&
        size == 0) {
        auto removal = std::make_shared<CurlTransfer>(nextOwnId(), CurlTransfer::Kind::Delete,
                                                      t.url, t.properties);
        removal->trust = t.trust;
        return removal;
    }
    return nullptr;
}
