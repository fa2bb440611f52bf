// The least an SFTP client on libssh (0.10) does to fetch or send one file: connect, take any
// host key (as `curl -k` and `sftp -o StrictHostKeyChecking=no` in the same rows), log in with a
// key file, and move the bytes between the file and the server with many reads in flight. The
// floor under SFTP transfers for a client built on libssh instead of libcurl's libssh2.
//   sftp_floor get|put HOST PORT USER KEYFILE REMOTE LOCAL [REQUESTS [CHUNK]]
// get: REQUESTS reads of CHUNK bytes in flight (default 64 of 32 KiB, as OpenSSH's sftp);
// put: libssh 0.10 has no asynchronous write (0.11 has), so one write of CHUNK bytes at a time,
// each waiting for its answer: 240 KiB by default, near the 256 KiB OpenSSH's server takes in
// one message (fewer, larger writes took less CPU and time here).
// putp: REQUESTS writes of CHUNK bytes in flight through Tandrel's own writer (SftpWriter) on a
// channel of its own, as Tandrel's uploads send them.
// CIPHERS (environment): the ciphers to offer, in order of preference. Prints the algorithms
// negotiated to standard error.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <libssh/libssh.h>
#include <libssh/sftp.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/ftp/SftpWriter.h"

namespace {

int fail(const char* what, const char* detail)
{
    std::fprintf(stderr, "sftp_floor: %s: %s\n", what, detail);
    return 1;
}

int get(sftp_session sftp, const char* remote, const char* local, int requests, uint32_t chunk)
{
    sftp_file file = sftp_open(sftp, remote, O_RDONLY, 0);
    if (!file)
        return fail("open", remote);
    sftp_attributes attributes = sftp_fstat(file);
    if (!attributes)
        return fail("fstat", remote);
    const uint64_t size = attributes->size;
    sftp_attributes_free(attributes);
    const int fd = ::open(local, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return fail("create", local);
    // Requests go out in the file's order and are answered in it: the oldest is waited for.
    std::deque<std::pair<int, uint32_t>> inFlight;
    std::vector<char> buffer(chunk);
    uint64_t asked = 0, received = 0;
    while (received < size) {
        while (asked < size && static_cast<int>(inFlight.size()) < requests) {
            const auto length = static_cast<uint32_t>(std::min<uint64_t>(chunk, size - asked));
            const int id = sftp_async_read_begin(file, length);
            if (id < 0)
                return fail("read request", ssh_get_error(sftp->session));
            inFlight.emplace_back(id, length);
            asked += length;
        }
        if (inFlight.empty())
            break;
        const auto [id, length] = inFlight.front();
        inFlight.pop_front();
        const int n = sftp_async_read(file, buffer.data(), length, static_cast<uint32_t>(id));
        // The file's size was asked first: a short answer is a file that shrank, or a server
        // that answers in pieces, which this floor does not follow.
        if (n != static_cast<int>(length))
            return fail("read", n < 0 ? ssh_get_error(sftp->session) : "short read");
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(fd, buffer.data() + done, static_cast<size_t>(n - done));
            if (w < 0)
                return fail("write", std::strerror(errno));
            done += w;
        }
        received += static_cast<uint64_t>(n);
    }
    sftp_close(file);
    return ::close(fd) == 0 ? 0 : fail("close", local);
}

int put(sftp_session sftp, const char* local, const char* remote, uint32_t chunk)
{
    const int fd = ::open(local, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail("open", local);
    sftp_file file = sftp_open(sftp, remote, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!file)
        return fail("create", remote);
    std::vector<char> buffer(chunk);
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0)
            return fail("read", std::strerror(errno));
        if (n == 0)
            break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = sftp_write(file, buffer.data() + done, static_cast<size_t>(n - done));
            if (w <= 0)
                return fail("write", ssh_get_error(sftp->session));
            done += w;
        }
    }
    ::close(fd);
    return sftp_close(file) == SSH_OK ? 0 : fail("close", remote);
}

int putPipelined(sftp_session sftp, const char* local, const char* remote, int requests,
                 uint32_t chunk)
{
    const int fd = ::open(local, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail("open", local);
    sftp_file file = sftp_open(sftp, remote, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!file)
        return fail("create", remote);
    SftpWriter writer(sftp, static_cast<size_t>(requests));
    if (!writer.start() || !writer.open(remote, false))
        return fail("writer", ssh_get_error(sftp->session));
    std::vector<char> buffer(SftpWriter::kHeaderRoom + chunk);
    char* data = buffer.data() + SftpWriter::kHeaderRoom;
    for (uint64_t offset = 0;;) {
        const ssize_t n = ::read(fd, data, chunk);
        if (n < 0)
            return fail("read", std::strerror(errno));
        if (n == 0)
            break;
        if (!writer.write(data, static_cast<uint32_t>(n), offset))
            return fail("write", ssh_get_error(sftp->session));
        offset += static_cast<uint64_t>(n);
    }
    ::close(fd);
    if (!writer.close())
        return fail("close", remote);
    return sftp_close(file) == SSH_OK ? 0 : fail("close", remote);
}

} // namespace

int main(int argc, char** argv)
{
    const bool pipelined = argc > 1 && std::strcmp(argv[1], "putp") == 0;
    if (argc < 8 ||
        (std::strcmp(argv[1], "get") != 0 && std::strcmp(argv[1], "put") != 0 && !pipelined)) {
        std::fprintf(stderr,
                     "usage: %s get|put|putp HOST PORT USER KEYFILE REMOTE LOCAL "
                     "[REQUESTS [CHUNK]]\n",
                     argv[0]);
        return 2;
    }
    const bool download = std::strcmp(argv[1], "get") == 0;
    const int requests = argc > 8 ? std::atoi(argv[8]) : 64;
    const auto chunk = static_cast<uint32_t>(argc > 9                ? std::atoi(argv[9])
                                             : download || pipelined ? 32768
                                                                     : 240 * 1024);
    if (requests < 1 || chunk < 1)
        return fail("arguments", "REQUESTS and CHUNK must be positive");

    ssh_session session = ssh_new();
    const unsigned port = static_cast<unsigned>(std::atoi(argv[3]));
    const bool no = false;
    ssh_options_set(session, SSH_OPTIONS_PROCESS_CONFIG, &no);
    ssh_options_set(session, SSH_OPTIONS_HOST, argv[2]);
    ssh_options_set(session, SSH_OPTIONS_PORT, &port);
    ssh_options_set(session, SSH_OPTIONS_USER, argv[4]);
    // A write waits for its answer before the next goes: Nagle's wait would hold each one.
    const int yes = 1;
    ssh_options_set(session, SSH_OPTIONS_NODELAY, &yes);
    if (const char* ciphers = std::getenv("CIPHERS")) {
        ssh_options_set(session, SSH_OPTIONS_CIPHERS_C_S, ciphers);
        ssh_options_set(session, SSH_OPTIONS_CIPHERS_S_C, ciphers);
    }
    if (ssh_connect(session) != SSH_OK)
        return fail("connect", ssh_get_error(session));
    ssh_key key = nullptr;
    if (ssh_pki_import_privkey_file(argv[5], nullptr, nullptr, nullptr, &key) != SSH_OK)
        return fail("key", argv[5]);
    if (ssh_userauth_publickey(session, nullptr, key) != SSH_AUTH_SUCCESS)
        return fail("log-in", ssh_get_error(session));
    ssh_key_free(key);
    std::fprintf(stderr, "sftp_floor: %s, %s / %s\n", ssh_get_kex_algo(session),
                 ssh_get_cipher_in(session), ssh_get_hmac_in(session));
    sftp_session sftp = sftp_new(session);
    if (!sftp || sftp_init(sftp) != SSH_OK)
        return fail("sftp", ssh_get_error(session));
    const int result = download    ? get(sftp, argv[6], argv[7], requests, chunk)
                       : pipelined ? putPipelined(sftp, argv[7], argv[6], requests, chunk)
                                   : put(sftp, argv[7], argv[6], chunk);
    sftp_free(sftp);
    ssh_disconnect(session);
    ssh_free(session);
    return result;
}
