#pragma once

// What the SFTP floors share: a logged-in SFTP session with a key file, taking any host key (as
// `curl -k` and `sftp -o StrictHostKeyChecking=no` in the same rows), a download with many reads
// in flight, as OpenSSH's sftp keeps them, and an upload one write at a time.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <libssh/libssh.h>
#include <libssh/sftp.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace floor_steps {

inline const char* program = "floor";

inline int fail(const char* what, const char* detail)
{
    std::fprintf(stderr, "%s: %s: %s\n", program, what, detail);
    return 1;
}

// Connects and logs in; CIPHERS in the environment sets the ciphers offered. Null on failure,
// said on standard error.
inline sftp_session connect(const char* host, const char* port, const char* user,
                            const char* keyFile)
{
    ssh_session session = ssh_new();
    const unsigned number = static_cast<unsigned>(std::atoi(port));
    const bool no = false;
    ssh_options_set(session, SSH_OPTIONS_PROCESS_CONFIG, &no);
    ssh_options_set(session, SSH_OPTIONS_HOST, host);
    ssh_options_set(session, SSH_OPTIONS_PORT, &number);
    ssh_options_set(session, SSH_OPTIONS_USER, user);
    // A write waits for its answer before the next goes: Nagle's wait would hold each one.
    const int yes = 1;
    ssh_options_set(session, SSH_OPTIONS_NODELAY, &yes);
    if (const char* ciphers = std::getenv("CIPHERS")) {
        ssh_options_set(session, SSH_OPTIONS_CIPHERS_C_S, ciphers);
        ssh_options_set(session, SSH_OPTIONS_CIPHERS_S_C, ciphers);
    }
    ssh_key key = nullptr;
    if (ssh_connect(session) != SSH_OK)
        return fail("connect", ssh_get_error(session)), nullptr;
    if (ssh_pki_import_privkey_file(keyFile, nullptr, nullptr, nullptr, &key) != SSH_OK)
        return fail("key", keyFile), nullptr;
    if (ssh_userauth_publickey(session, nullptr, key) != SSH_AUTH_SUCCESS)
        return fail("log-in", ssh_get_error(session)), nullptr;
    ssh_key_free(key);
    sftp_session sftp = sftp_new(session);
    if (!sftp || sftp_init(sftp) != SSH_OK)
        return fail("sftp", ssh_get_error(session)), nullptr;
    return sftp;
}

inline void disconnect(sftp_session sftp)
{
    ssh_session session = sftp->session;
    sftp_free(sftp);
    ssh_disconnect(session);
    ssh_free(session);
}

// REMOTE into LOCAL, requests reads of chunk bytes in flight.
inline int get(sftp_session sftp, const char* remote, const char* local, size_t requests,
               uint32_t chunk)
{
    sftp_file file = sftp_open(sftp, remote, O_RDONLY, 0);
    sftp_attributes attributes = file ? sftp_fstat(file) : nullptr;
    if (!attributes)
        return fail("open", remote);
    const uint64_t size = attributes->size;
    sftp_attributes_free(attributes);
    const int fd = ::open(local, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return fail("create", local);
    // Requests go out in the file's order and are answered in it: the oldest is waited for.
    std::deque<std::pair<int, uint32_t>> inFlight;
    std::vector<char> buffer(chunk);
    for (uint64_t asked = 0, received = 0; received < size;) {
        for (; asked < size && inFlight.size() < requests;) {
            const auto length = static_cast<uint32_t>(std::min<uint64_t>(chunk, size - asked));
            const int id = sftp_async_read_begin(file, length);
            if (id < 0)
                return fail("read request", ssh_get_error(sftp->session));
            inFlight.emplace_back(id, length);
            asked += length;
        }
        const auto [id, length] = inFlight.front();
        inFlight.pop_front();
        const int n = sftp_async_read(file, buffer.data(), length, static_cast<uint32_t>(id));
        // The file's size was asked first: a short answer is a file that shrank, or a server
        // that answers in pieces, which a floor does not follow.
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

// LOCAL opened for reading and REMOTE made anew for writing; false once a failure is said.
inline bool openForPut(sftp_session sftp, const char* local, const char* remote, int& fd,
                       sftp_file& file)
{
    fd = ::open(local, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail("open", local), false;
    file = sftp_open(sftp, remote, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    return file || (fail("create", remote), false);
}

// LOCAL to REMOTE, one write of chunk bytes at a time, each waiting for its answer (libssh 0.10
// has no asynchronous write).
inline int put(sftp_session sftp, const char* local, const char* remote, uint32_t chunk)
{
    int fd = -1;
    sftp_file file = nullptr;
    if (!openForPut(sftp, local, remote, fd, file))
        return 1;
    std::vector<char> buffer(chunk);
    for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) != 0;) {
        if (n < 0)
            return fail("read", std::strerror(errno));
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

} // namespace floor_steps
