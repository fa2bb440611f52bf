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
#include <fcntl.h>
#include <libssh/libssh.h>
#include <libssh/sftp.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "SftpFloorSteps.h"
#include "platform/ftp/SftpWriter.h"

namespace {

using floor_steps::fail;

int putPipelined(sftp_session sftp, const char* local, const char* remote, int requests,
                 uint32_t chunk)
{
    int fd = -1;
    sftp_file file = nullptr;
    if (!floor_steps::openForPut(sftp, local, remote, fd, file))
        return 1;
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

    floor_steps::program = "sftp_floor";
    sftp_session sftp = floor_steps::connect(argv[2], argv[3], argv[4], argv[5]);
    if (!sftp)
        return 1;
    std::fprintf(stderr, "sftp_floor: %s, %s / %s\n", ssh_get_kex_algo(sftp->session),
                 ssh_get_cipher_in(sftp->session), ssh_get_hmac_in(sftp->session));
    const int result =
        download    ? floor_steps::get(sftp, argv[6], argv[7], static_cast<size_t>(requests), chunk)
        : pipelined ? putPipelined(sftp, argv[7], argv[6], requests, chunk)
                    : floor_steps::put(sftp, argv[7], argv[6], chunk);
    floor_steps::disconnect(sftp);
    return result;
}
