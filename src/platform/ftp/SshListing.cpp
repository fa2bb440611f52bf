#include "platform/ftp/SshTransfer.h"

namespace SshDetail {

namespace {

// Lines gathered before they go to the buffer at once: well inside a listing's spare room.
constexpr qsizetype kListingChunk = 32 * 1024;

} // namespace

// A folder's entries as `ls -l` lines, each the server's own long name, a link's with " -> " and
// its target after it, CRLF after each: the lines an FTP server's LIST gives, which the listing
// parser reads. One READDIR is in flight at a time; what one answer brought goes to the buffer
// before the next is asked.
void SshTransfer::list()
{
    QByteArray path = target.sftpPath();
    path = path == "/~" ? QByteArray(".") : remotePath(path);
    if (path.isEmpty())
        path = ".";
    sftp_dir dir = sftp_opendir(sftp, path.constData());
    if (!dir && keptConnectionClosed())
        return;
    if (!dir)
        return fail(sftpError(QStringLiteral("Could not open directory for reading")));
    const QByteArray folder = path.endsWith('/') ? path : path + '/';
    QByteArray lines;
    bool failed = false;
    engine.due(run, CurlOptions::timeouts().stall, stall);
    while (sftp_attributes entry = sftp_readdir(sftp, dir)) {
        if (entry->longname)
            lines += entry->longname;
        if (entry->type == SSH_FILEXFER_TYPE_SYMLINK && entry->name) {
            if (char* to = sftp_readlink(sftp, (folder + entry->name).constData())) {
                lines += " -> ";
                lines += to;
                ssh_string_free_char(to);
            }
        }
        lines += "\r\n";
        sftp_attributes_free(entry);
        // The entries of one answer are all here: the next readdir waits for the server.
        if (dir->count == 0 || lines.size() >= kListingChunk) {
            if (!deliver(lines.constData(), lines.size())) {
                failed = true;
                break;
            }
            lines.clear();
            engine.due(run, CurlOptions::timeouts().stall, stall);
        }
    }
    failed = failed || !sftp_dir_eof(dir) ||
             (!lines.isEmpty() && !deliver(lines.constData(), lines.size()));
    if (failed) {
        const StreamError why = sftpError(QStringLiteral("Could not read the directory listing"));
        sftp_closedir(dir);
        return fail(why);
    }
    sftp_closedir(dir);
    finish(CURLE_OK);
}

} // namespace SshDetail
