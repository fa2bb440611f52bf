#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include "platform/ftp/ConnectionSecurity.h"

// What an ftp or sftp URL addresses, checked once and put in the one form handed to libcurl.
// libcurl decodes %2F and walks it as folders, and copies names into quote commands without looking
// at line ends, so a name holding CR, LF or NUL, a "/" of its own, or equal to "." or ".." is
// refused here, before any command can be built from it.
class FtpTarget final
{
public:
    explicit FtpTarget(const QUrl& url);

    bool isValid() const { return m_problem.isEmpty(); }
    // Why the URL cannot be used; empty when it can.
    QString problem() const { return m_problem; }
    // The path ends in "/": a folder.
    bool isFolder() const { return m_folder; }
    // ftp:// (port 21 when none is given) or sftp:// (port 22).
    Protocol protocol() const { return m_protocol; }

    // The URL for libcurl: no login, every path byte outside the unreserved set escaped, so that
    // ";type=" or "?" in a name stay part of the name.
    QByteArray url() const;
    // The folder holding the target, as a URL ending in "/": where MKD, DELE and RMD are sent.
    QByteArray parentUrl() const;
    // The target's own name, decoded; empty for the root folder.
    QByteArray name() const { return m_segments.isEmpty() ? QByteArray() : m_segments.last(); }
    // For sftp: the target's absolute path, decoded ("/~/..." below the home folder), and the
    // same quoted as one argument of libcurl's SFTP quote commands.
    QByteArray sftpPath() const;
    QByteArray sftpPathArgument() const { return sftpQuoted(sftpPath()); }
    static QByteArray sftpQuoted(const QByteArray& path);

    // The login the URL carries, decoded.
    bool hasUserName() const { return m_hasUser; }
    QByteArray userName() const { return m_user; }
    QByteArray password() const { return m_password; }

    // Whether bytes may stand in an FTP command line: no CR, LF or NUL.
    static bool isCommandSafe(const QByteArray& bytes);

private:
    QByteArray joined(qsizetype count, bool trailingSlash) const;

    QString m_problem;
    Protocol m_protocol = Protocol::FTP;
    QByteArray m_origin;          // "ftp://host:port" or "sftp://host:port"
    QList<QByteArray> m_segments; // decoded names below the root, the empty leading one dropped
    bool m_absolute = false;      // the path began with "//": the first CWD is to "/"
    bool m_folder = false;
    bool m_hasUser = false;
    QByteArray m_user;
    QByteArray m_password;
};
