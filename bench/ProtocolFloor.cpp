// The least a client linked and set up as Tandrel is (libcurl for FTP, libssh for SFTP, both
// loaded, libcurl's global set-up done) does for one listing, download or upload, over either
// protocol, with each library's plain calls and no window: its peak memory over SFTP against its
// peak over FTP is what the libraries themselves add for SSH, under any client built on them.
//   protocol_floor ftp list|get|put URL [LOCAL]
//   protocol_floor sftp list|get|put HOST PORT USER KEYFILE REMOTE [LOCAL]
// list prints each entry's line; get writes REMOTE to LOCAL; put sends LOCAL to REMOTE. SFTP
// reads keep 64 reads of 32 KiB in flight (as OpenSSH's sftp), writes go 32 KiB at a time.
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include <curl/curl.h>

#include "SftpFloorSteps.h"

namespace {

constexpr uint32_t kChunk = 32 * 1024;
constexpr size_t kReadsInFlight = 64;

using floor_steps::fail;

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

int sftp(const char* step, char** argv, const char* local)
{
    sftp_session sftp = floor_steps::connect(argv[0], argv[1], argv[2], argv[3]);
    if (!sftp)
        return 1;
    const int result = std::strcmp(step, "list") == 0 ? list(sftp, argv[4])
                       : std::strcmp(step, "get") == 0
                           ? floor_steps::get(sftp, argv[4], local, kReadsInFlight, kChunk)
                           : floor_steps::put(sftp, local, argv[4], kChunk);
    floor_steps::disconnect(sftp);
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
    floor_steps::program = "protocol_floor";
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const char* local = needsLocal ? argv[argc - 1] : nullptr;
    const int result =
        isFtp ? ftp(step.c_str(), argv[3], local) : sftp(step.c_str(), argv + 3, local);
    curl_global_cleanup();
    return result;
}
