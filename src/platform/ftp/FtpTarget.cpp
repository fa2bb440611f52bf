#include "platform/ftp/FtpTarget.h"

#include "platform/RemoteName.h"

bool FtpTarget::isCommandSafe(const QByteArray& bytes)
{
    return !bytes.contains('\r') && !bytes.contains('\n') && !bytes.contains('\0');
}

FtpTarget::FtpTarget(const QUrl& url)
{
    const bool sftp = url.scheme().compare(QLatin1String("sftp"), Qt::CaseInsensitive) == 0;
    if (!url.isValid() ||
        (!sftp && url.scheme().compare(QLatin1String("ftp"), Qt::CaseInsensitive) != 0)) {
        m_problem = QStringLiteral("Not an ftp or sftp URL");
        return;
    }
    m_protocol = sftp ? Protocol::SFTP : Protocol::FTP;
    const QString host = url.host(QUrl::FullyEncoded);
    if (host.isEmpty()) {
        m_problem = QStringLiteral("The URL names no server");
        return;
    }
    if (url.hasFragment()) {
        m_problem = QStringLiteral("The URL holds a \"#\" that is not escaped");
        return;
    }
    const QString bracketed =
        host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    m_origin = (sftp ? "sftp://" : "ftp://") + bracketed.toLatin1() + ':' +
               QByteArray::number(url.port(sftp ? 22 : 21));

    m_hasUser =
        !url.userName(QUrl::FullyEncoded).isEmpty() || url.userInfo().contains(QLatin1Char(':'));
    m_user = QByteArray::fromPercentEncoding(url.userName(QUrl::FullyEncoded).toLatin1());
    m_password = QByteArray::fromPercentEncoding(url.password(QUrl::FullyEncoded).toLatin1());
    if (!isCommandSafe(m_user) || !isCommandSafe(m_password)) {
        m_problem = QStringLiteral("The login holds a line break or NUL");
        return;
    }

    // FTP URLs have no query (RFC 1738): a "?" is part of the last name.
    QByteArray path = url.path(QUrl::FullyEncoded).toLatin1();
    if (url.hasQuery())
        path += "%3F" + url.query(QUrl::FullyEncoded).toLatin1();
    if (path.isEmpty())
        path = "/";
    if (!path.startsWith('/')) {
        m_problem = QStringLiteral("The URL path does not begin with \"/\"");
        return;
    }
    m_folder = path.endsWith('/');
    QList<QByteArray> parts = path.mid(1).split('/');
    if (m_folder)
        parts.removeLast();
    if (!parts.isEmpty() && parts.first().isEmpty() && parts.size() > 1) {
        // sftp paths are absolute anyway.
        m_absolute = !sftp;
        parts.removeFirst();
    }
    for (const QByteArray& part : parts) {
        const QByteArray name = QByteArray::fromPercentEncoding(part);
        // Like libcurl, "a//b" is a/b: CWD takes no empty argument.
        if (name.isEmpty())
            continue;
        if (const QString why = RemoteName::whyNotAddressable(name); !why.isEmpty()) {
            m_problem = QStringLiteral("A name in the URL cannot be used: ") + why;
            return;
        }
        m_segments.append(name);
    }
}

QByteArray FtpTarget::joined(qsizetype count, bool trailingSlash) const
{
    // libcurl decodes the path before splitting it at "/": a leading %2F is its way to say "CWD /".
    QByteArray out = m_origin + '/';
    if (m_absolute)
        out += "%2F";
    for (qsizetype i = 0; i < count; ++i) {
        if (i > 0)
            out += '/';
        out += m_segments[i].toPercentEncoding();
    }
    if (trailingSlash && (count > 0 || m_absolute))
        out += '/';
    return out;
}

QByteArray FtpTarget::url() const
{
    return joined(m_segments.size(), m_folder);
}

QByteArray FtpTarget::sftpPath() const
{
    // A path beginning with "/~/" is below the home folder, for libcurl as for the URL.
    QByteArray path;
    for (const QByteArray& segment : m_segments)
        path += '/' + segment;
    return path.isEmpty() ? QByteArray("/") : path;
}

QByteArray FtpTarget::sftpQuoted(const QByteArray& path)
{
    // libcurl reads a quoted path up to the next unescaped quote, a backslash escaping the next
    // character.
    QByteArray quoted = path;
    quoted.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + quoted + '"';
}

QByteArray FtpTarget::parentUrl() const
{
    return joined(std::max<qsizetype>(0, m_segments.size() - 1), true);
}
