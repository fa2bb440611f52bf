// The least a client linked and set up as Tandrel is (libcurl for FTP, libssh for SFTP, both
// loaded, libcurl's global set-up done) does for one listing, download or upload, over either
// protocol, with each library's plain calls and no window: its peak memory over SFTP against its
// peak over FTP is what the libraries themselves add for SSH, under any client built on them.
//   protocol_floor ftp list|get|put URL [LOCAL]
//   protocol_floor sftp list|get|put HOST PORT USER KEYFILE REMOTE [LOCAL]
// list prints each entry's line; get writes REMOTE to LOCAL; put sends LOCAL to REMOTE. SFTP
// reads keep 64 reads of 32 KiB in flight (as OpenSSH's sftp), writes go 32 KiB at a time.
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

#include <curl/curl.h>

namespace {

constexpr uint32_t kChunk = 32 * 1024;
constexpr size_t kReadsInFlight = 64;

int fail(const char* what, const char* detail)
{
    std::fprintf(stderr, "protocol_floor: %s: %s\n", what, detail);
    return 1;
}

bool writeAll(int fd, const char* data, size_t length)
{
    for (size_t done = 0; done < length;) {
        const ssize_t n = ::write(fd, data + done, length - done);
        if (n < 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

size_t toStdout(char* data, size_t size, size_t count, void*)
{
    return std::fwrite(data, size, count, stdout) * size;
}

int ftp(const char* step, const char* url, const char* local)
{
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, url);
    FILE* file = nullptr;
    if (std::strcmp(step, "list") == 0) {
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, toStdout);
    } else if (std::strcmp(step, "get") == 0) {
        if (!(file = std::fopen(local, "wb")))
            return fail("create", local);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, file);
    } else {
        struct stat about
        {
        };
        if (!(file = std::fopen(local, "rb")) || ::fstat(fileno(file), &about) != 0)
            return fail("open", local);
        curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(easy, CURLOPT_READDATA, file);
        curl_easy_setopt(easy, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(about.st_size));
    }
    const CURLcode code = curl_easy_perform(easy);
    curl_easy_cleanup(easy);
    if (file && std::fclose(file) != 0)
        return fail("close", local);
    return code == CURLE_OK ? 0 : fail("transfer", curl_easy_strerror(code));
}

int list(sftp_session sftp, const char* remote)
{
    sftp_dir dir = sftp_opendir(sftp, remote);
    if (!dir)
        return fail("open folder", remote);
    while (sftp_attributes entry = sftp_readdir(sftp, dir)) {
        std::puts(entry->longname ? entry->longname : entry->name);
        sftp_attributes_free(entry);
    }
    const bool complete = sftp_dir_eof(dir);
    sftp_closedir(dir);
    return complete ? 0 : fail("list", remote);
}

int get(sftp_session sftp, const char* remote, const char* local)
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
    std::deque<std::pair<int, uint32_t>> inFlight;
    std::vector<char> buffer(kChunk);
    for (uint64_t asked = 0, received = 0; received < size;) {
        for (; asked < size && inFlight.size() < kReadsInFlight;) {
            const auto length = static_cast<uint32_t>(std::min<uint64_t>(kChunk, size - asked));
            const int id = sftp_async_read_begin(file, length);
            if (id < 0)
                return fail("read request", ssh_get_error(sftp->session));
            inFlight.emplace_back(id, length);
            asked += length;
        }
        const auto [id, length] = inFlight.front();
        inFlight.pop_front();
        const int n = sftp_async_read(file, buffer.data(), length, static_cast<uint32_t>(id));
        if (n != static_cast<int>(length))
            return fail("read", n < 0 ? ssh_get_error(sftp->session) : "short read");
        if (!writeAll(fd, buffer.data(), static_cast<size_t>(n)))
            return fail("write", std::strerror(errno));
        received += static_cast<uint64_t>(n);
    }
    sftp_close(file);
    return ::close(fd) == 0 ? 0 : fail("close", local);
}

int put(sftp_session sftp, const char* local, const char* remote)
{
    const int fd = ::open(local, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail("open", local);
    sftp_file file = sftp_open(sftp, remote, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!file)
        return fail("create", remote);
    std::vector<char> buffer(kChunk);
    for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) != 0;) {
        if (n < 0 || sftp_write(file, buffer.data(), static_cast<size_t>(n)) != n)
            return fail("write", n < 0 ? std::strerror(errno) : ssh_get_error(sftp->session));
    }
    ::close(fd);
    return sftp_close(file) == SSH_OK ? 0 : fail("close", remote);
}

int sftp(const char* step, char** argv, const char* local)
{
    ssh_session session = ssh_new();
    const unsigned port = static_cast<unsigned>(std::atoi(argv[1]));
    const bool no = false;
    ssh_options_set(session, SSH_OPTIONS_PROCESS_CONFIG, &no);
    ssh_options_set(session, SSH_OPTIONS_HOST, argv[0]);
    ssh_options_set(session, SSH_OPTIONS_PORT, &port);
    ssh_options_set(session, SSH_OPTIONS_USER, argv[2]);
    // A write waits for its answer before the next goes: Nagle's wait would hold each one.
    const int yes = 1;
    ssh_options_set(session, SSH_OPTIONS_NODELAY, &yes);
    ssh_key key = nullptr;
    if (ssh_connect(session) != SSH_OK)
        return fail("connect", ssh_get_error(session));
    if (ssh_pki_import_privkey_file(argv[3], nullptr, nullptr, nullptr, &key) != SSH_OK)
        return fail("key", argv[3]);
    if (ssh_userauth_publickey(session, nullptr, key) != SSH_AUTH_SUCCESS)
        return fail("log-in", ssh_get_error(session));
    ssh_key_free(key);
    sftp_session sftp = sftp_new(session);
    if (!sftp || sftp_init(sftp) != SSH_OK)
        return fail("sftp", ssh_get_error(session));
    const int result = std::strcmp(step, "list") == 0  ? list(sftp, argv[4])
                       : std::strcmp(step, "get") == 0 ? get(sftp, argv[4], local)
                                                       : put(sftp, local, argv[4]);
    sftp_free(sftp);
    ssh_disconnect(session);
    ssh_free(session);
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    const bool isFtp = argc > 2 && std::strcmp(argv[1], "ftp") == 0;
    const bool isSftp = argc > 2 && std::strcmp(argv[1], "sftp") == 0;
    const std::string step = argc > 2 ? argv[2] : "";
    const bool needsLocal = step == "get" || step == "put";
    const int args = isFtp ? 4 : 8;
    if ((!isFtp && !isSftp) || (step != "list" && !needsLocal) || argc != args + needsLocal) {
        std::fprintf(stderr,
                     "usage: %s ftp list|get|put URL [LOCAL]\n"
                     "       %s sftp list|get|put HOST PORT USER KEYFILE REMOTE [LOCAL]\n",
                     argv[0], argv[0]);
        return 2;
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const char* local = needsLocal ? argv[argc - 1] : nullptr;
    const int result =
        isFtp ? ftp(step.c_str(), argv[3], local) : sftp(step.c_str(), argv + 3, local);
    curl_global_cleanup();
    return result;
}
