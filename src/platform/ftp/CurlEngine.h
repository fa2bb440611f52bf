#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <unordered_map>
#include <vector>

#include <QtGlobal>

#include <curl/curl.h>

#include "platform/ftp/CurlTransfer.h"

// The curl thread: the one libcurl multi handle of the process and every easy handle, run on a
// thread of its own (libcurl waits for some replies with a blocking read inside one call, the
// final reply after a transfer's data, the replies to quote commands).
//
// The main thread hands it commands (start, resume, stop); what happens comes back as CurlNotes,
// queued in order and taken by the main thread. Everything a transfer needs of the main thread's
// state comes with the transfer (its properties and trust), so that the curl thread reads
// nothing the main thread writes outside the lock and the transfers' own mutexes.
class CurlEngine final
{
public:
    // notesWaiting runs on the curl thread whenever notes wait where none did.
    explicit CurlEngine(std::function<void()> notesWaiting);
    ~CurlEngine();

    // Commands; once the thread has stopped, they are dropped.
    void start(const std::shared_ptr<CurlTransfer>& transfer);
    void resume(uint64_t id);
    void stop(uint64_t id);

    // Queues a note from another thread (the SSH transfers'), in order with the curl thread's.
    void post(CurlNote next) { note(std::move(next)); }

    // The notes that wait, in order (main thread).
    std::deque<CurlNote> takeNotes();

    // Ends every transfer at once and waits for the thread to end. Answers false, doing
    // nothing, once it has ended and on the curl thread itself (it would wait for itself).
    bool shutDown();

private:
    struct Command
    {
        enum class Kind
        {
            Start,
            Resume,
            Stop
        } kind;
        uint64_t id;
        std::shared_ptr<CurlTransfer> transfer;
    };

    void command(Command next);

    // The curl thread.
    void run();
    void begin(const std::shared_ptr<CurlTransfer>& transfer);
    void end(CurlTransfer& transfer);
    void collectFinished();
    std::shared_ptr<CurlTransfer> emptyFileCheck(CurlTransfer& transfer, CURLcode result);
    void startUploadAfterCheck(const std::shared_ptr<CurlTransfer>& upload, CURLcode result,
                               CurlNote checked);
    bool anyPaused();
    void note(CurlNote next);
    static CurlNote noteOf(uint64_t id, CurlNote::Kind kind, int code = 0);

    // libcurl's callbacks (CurlEngineCallbacks.cpp).
    static curl_socket_t openSocket(void* self, curlsocktype, curl_sockaddr* address);
    static int closeSocket(void* self, curl_socket_t fd);
    static size_t receive(char* data, size_t size, size_t count, void* transfer);
    // Tells the owner of bytes that have waited kTellWithin untold; answers in how many ms
    // that is due for bytes that wait less, at most longest.
    int tellWaitingBytes(CurlTransfer& transfer, int longest);
    static size_t discard(char* data, size_t size, size_t count, void* unused);
    static size_t send(char* out, size_t size, size_t count, void* transfer);
    static size_t header(char* data, size_t size, size_t count, void* transfer);
    static int progress(void* transfer, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
    static int hostKey(CURL*, const curl_khkey* known, const curl_khkey* found, curl_khmatch match,
                       void* transfer);

    const std::function<void()> notesWaiting;

    // Between the threads, under the lock.
    std::mutex lock;
    std::vector<Command> commands;
    std::deque<CurlNote> notes;
    bool stopping = false;
    std::set<curl_socket_t> sockets; // every socket libcurl opened and has not closed

    // Curl thread only.
    CURLM* multi = nullptr;
    std::unordered_map<uint64_t, std::shared_ptr<CurlTransfer>> running;
    // How each SSH host's key was trusted when libcurl connected to it: a transfer on a
    // connection libcurl reuses sees no key of its own.
    std::map<QString, ConnectionSecurity> sshHosts;
    std::thread thread;

    Q_DISABLE_COPY_MOVE(CurlEngine)
};
