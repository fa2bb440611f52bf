#include "MiscTool.h"

#include <algorithm>
#include <arpa/inet.h>
#include <charconv>
#include <limits>
#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTimeZone>

#include "OperationOutcome.h"
#include "platform/Log.h"
#include "platform/SshKeyFile.h"
#include "platform/UrlText.h"
#include "platform/UserDefaults.h"

namespace {

QString text(const char* id, const char* english)
{
    return OperationOutcome::localizedText(id, english);
}

// The shared date formatter: the system locale's short format, and the local time zone's
// offset from UTC over the span between two of its transitions. Converting each date through
// the C library would read the zone file's status again for every row of a listing.
struct DateFormatter
{
    QLocale locale = QLocale::system();
    QTimeZone zone = QTimeZone::systemTimeZone();
    qint64 spanBegin = 1; // the span [spanBegin, spanEnd) in msecs since 1970; empty at first
    qint64 spanEnd = 0;
    int offsetSeconds = 0;
    // Files saved together list with the same time: the text of the last date made.
    std::optional<qint64> lastMsecs;
    QString lastText;

    QString format(const QDateTime& date)
    {
        const qint64 msecs = date.toMSecsSinceEpoch();
        if (msecs == lastMsecs)
            return lastText;
        if (msecs < spanBegin || msecs >= spanEnd) {
            if (!zone.isValid())
                return locale.toString(date.toLocalTime(), QLocale::ShortFormat);
            offsetSeconds = zone.offsetFromUtc(date);
            const QTimeZone::OffsetData before = zone.previousTransition(date.addMSecs(1));
            const QTimeZone::OffsetData after = zone.nextTransition(date);
            spanBegin = before.atUtc.isValid() ? before.atUtc.toMSecsSinceEpoch()
                                               : std::numeric_limits<qint64>::min();
            spanEnd = after.atUtc.isValid() ? after.atUtc.toMSecsSinceEpoch()
                                            : std::numeric_limits<qint64>::max();
        }
        lastText =
            locale.toString(QDateTime::fromMSecsSinceEpoch(msecs, Qt::OffsetFromUTC, offsetSeconds),
                            QLocale::ShortFormat);
        lastMsecs = msecs;
        return lastText;
    }
};

std::optional<DateFormatter> sDateFormatter;

// The value with the given digits after the point, then the unit: what "%.2f GB" prints, at a
// fraction of printf's cost (the size column formats one text per row shown).
QString fixedPoint(double value, int precision, const char* unit)
{
    char text[64];
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, precision);
    if (error != std::errc())
        return QString::asprintf("%.*f%s", precision, value, unit);
    return QLatin1String(text, end) + QLatin1String(unit);
}

QString storedText(Setting key)
{
    return UserDefaults::standardUserDefaults().text(key);
}

QString serverPart()
{
    QString text =
        storedText(Setting::Host) + QLatin1Char(':') + storedText(Setting::Port) + QLatin1Char('/');
    const QString directory = storedText(Setting::Directory);
    if (!directory.isEmpty())
        text += directory + QLatin1Char('/');
    return text;
}

// The text after "scheme://authority/", or "" when url has no such part.
QString pathAfterServer(const QString& url)
{
    const qsizetype scheme = url.indexOf(QLatin1String("://"));
    const qsizetype start = scheme < 0 ? 0 : scheme + 3;
    const qsizetype slash = url.indexOf(QLatin1Char('/'), start);
    return slash < 0 ? QString() : url.mid(slash + 1);
}

QString decodedOrAsIs(const QString& text)
{
    return UrlText::removePercentEncoding(text).value_or(text);
}

} // namespace

Protocol MiscTool::protocol()
{
    return storedText(Setting::Protocol) == QLatin1String("sftp") ? Protocol::SFTP : Protocol::FTP;
}

QString MiscTool::getFTPURL()
{
    if (protocol() == Protocol::FTP)
        return QStringLiteral("ftp://") + serverPart();
    // An sftp URL's path is absolute: the start folder is below the home folder ("/~/"), or
    // where an absolute Directory says.
    QString text = QStringLiteral("sftp://") + storedText(Setting::Host) + QLatin1Char(':') +
                   storedText(Setting::Port);
    const QString directory = storedText(Setting::Directory);
    if (!directory.startsWith(QLatin1Char('/')))
        text += QStringLiteral("/~");
    text += QLatin1Char('/');
    if (!directory.isEmpty())
        text += directory.mid(directory.startsWith(QLatin1Char('/')) ? 1 : 0) + QLatin1Char('/');
    return text;
}

std::optional<QUrl> MiscTool::smartURLForString(const QString& str)
{
    // Spaces, tabs and the other Zs characters; line breaks are not trimmed.
    auto blank = [](QChar c) {
        return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
    };
    qsizetype begin = 0;
    qsizetype end = str.size();
    while (begin < end && blank(str[begin]))
        ++begin;
    while (end > begin && blank(str[end - 1]))
        --end;
    const QString trimmed = str.mid(begin, end - begin);
    if (trimmed.isEmpty())
        return std::nullopt;

    const qsizetype separator = trimmed.indexOf(QLatin1String("://"));
    if (separator < 0)
        return UrlText::urlWithString(QStringLiteral("ftp://") + trimmed);
    const QString scheme = trimmed.left(separator);
    if (scheme.compare(QLatin1String("ftp"), Qt::CaseInsensitive) != 0 &&
        scheme.compare(QLatin1String("sftp"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return UrlText::urlWithString(trimmed);
}

QString MiscTool::getFTPLocation(const QString& url, const QString& ftp_host)
{
    if (url == ftp_host)
        return QStringLiteral("/");
    const qsizetype at = url.indexOf(ftp_host);
    const QString below = at >= 0 ? url.mid(at + ftp_host.size()) : pathAfterServer(url);
    return decodedOrAsIs(QLatin1Char('/') + decodedOrAsIs(below));
}

int32_t MiscTool::getFileType(const ListingEntry& entry)
{
    return entry.kCFFTPResourceType.value_or(0);
}

std::optional<QString> MiscTool::getFileName(const ListingEntry& entry)
{
    return entry.kCFFTPResourceName;
}

QString MiscTool::getFileSize(const ListingEntry& entry)
{
    if (!entry.kCFFTPResourceSize)
        return QStringLiteral("?");
    if (getFileType(entry) == kEntryTypeRegular)
        return QString::number(*entry.kCFFTPResourceSize);
    return QStringLiteral("-");
}

int64_t MiscTool::fileSizeNumber(const ListingEntry& entry)
{
    return entry.kCFFTPResourceSize && getFileType(entry) == kEntryTypeRegular
               ? *entry.kCFFTPResourceSize
               : 0;
}

QString MiscTool::getFileDate(const ListingEntry& entry)
{
    if (!entry.kCFFTPResourceModDate)
        return QString();
    if (!sDateFormatter)
        sDateFormatter.emplace();
    return sDateFormatter->format(*entry.kCFFTPResourceModDate);
}

QString MiscTool::serverAddressProblem()
{
    const QString host = hostProblem(storedText(Setting::Host));
    return host.isEmpty() ? portProblem(storedText(Setting::Port)) : host;
}

QString MiscTool::hostProblem(const QString& host)
{
    const auto problem = [&](const QString& what) {
        //% "Host \"%1\" %2"
        return text("HostProblem", "Host \"%1\" %2").arg(Log::printable(host), what);
    };
    if (host.isEmpty())
        //% "Host is empty"
        return text("HostEmpty", "Host is empty");
    for (const QChar c : host) {
        if (c.isSpace() || c.category() == QChar::Other_Control)
            //% "holds a space or control character"
            return problem(text("HostHoldsSpace", "holds a space or control character"));
    }
    if (host.contains(QLatin1Char('/')))
        return problem(
            //% "holds a \"/\": a folder goes in the Directory field"
            text("HostHoldsSlash", "holds a \"/\": a folder goes in the Directory field"));
    if (host.contains(QLatin1Char('@')))
        //% "holds an \"@\": the login goes in the User field"
        return problem(text("HostHoldsAt", "holds an \"@\": the login goes in the User field"));
    if (host.startsWith(QLatin1Char('['))) {
        in6_addr address{};
        if (!host.endsWith(QLatin1Char(']')) ||
            inet_pton(AF_INET6, host.mid(1, host.size() - 2).toLatin1().constData(), &address) != 1)
            //% "is not an IPv6 address in brackets"
            return problem(text("HostNotIpv6", "is not an IPv6 address in brackets"));
        return QString();
    }
    if (host.count(QLatin1Char(':')) > 1)
        //% "is an IPv6 address without brackets: write [%1]"
        return problem(text("HostIpv6Brackets", "is an IPv6 address without brackets: write [%1]")
                           .arg(Log::printable(host)));
    if (host.contains(QLatin1Char(':')))
        //% "holds a \":\": the port goes in the Port field"
        return problem(text("HostHoldsColon", "holds a \":\": the port goes in the Port field"));

    // Digits and dots only: an IPv4 address, four numbers of 0 to 255.
    static const QRegularExpression numeric(QStringLiteral("^[0-9.]+$"));
    if (numeric.match(host).hasMatch()) {
        static const QRegularExpression ipv4(
            QStringLiteral("^((25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])\\.){3}"
                           "(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])$"));
        return ipv4.match(host).hasMatch() ? QString()
                                           //% "is not an IPv4 address"
                                           : problem(text("HostNotIpv4", "is not an IPv4 address"));
    }
    // A host name: labels of letters, digits, "-" and "_" (names beyond ASCII in their
    // ASCII form), each 1 to 63 long, 253 in all, one final "." allowed.
    QString ascii = QString::fromLatin1(QUrl::toAce(host));
    if (ascii.endsWith(QLatin1Char('.')))
        ascii.chop(1);
    static const QRegularExpression label(
        QStringLiteral("^[A-Za-z0-9_]([A-Za-z0-9_-]{0,61}[A-Za-z0-9_])?$"));
    bool ok = !ascii.isEmpty() && ascii.size() <= 253;
    for (const QString& part : ascii.split(QLatin1Char('.')))
        ok = ok && label.match(part).hasMatch();
    //% "is not a host name"
    return ok ? QString() : problem(text("HostNotName", "is not a host name"));
}

QString MiscTool::portProblem(const QString& port)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    if (port.isEmpty())
        //% "Port is empty"
        return text("PortEmpty", "Port is empty");
    const int number = digits.match(port).hasMatch() ? port.toInt() : 0;
    if (number < 1 || number > 65535)
        //% "Port \"%1\" is not a number from 1 to 65535"
        return text("PortNotNumber", "Port \"%1\" is not a number from 1 to 65535")
            .arg(Log::printable(port));
    return QString();
}

QString MiscTool::convertBytes(uint64_t bytes)
{
    // Single precision on purpose: the unit boundaries are where a float rounds, so
    // 1073741792 already counts as 1024^3 and shows as "1.00 GB".
    const float x = static_cast<float>(bytes);
    const float kb = 1024.0f;
    const float mb = kb * kb;
    const float gb = mb * kb;
    if (x >= gb)
        return fixedPoint(static_cast<double>(x / gb), 2, " GB");
    if (x >= mb)
        return fixedPoint(static_cast<double>(x / mb), 1, " MB");
    if (x >= kb)
        return fixedPoint(static_cast<double>(x / kb), 1, " KB");
    if (bytes == 0)
        return QStringLiteral("--");
    return QString::number(bytes) + QLatin1String(" Bytes");
}

uint64_t MiscTool::getLocalFileSize(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() ? static_cast<uint64_t>(info.size()) : 0;
}

QString MiscTool::getUserHome()
{
    QString home;
    if (const passwd* record = getpwuid(getuid()); record && record->pw_dir && *record->pw_dir)
        home = QFile::decodeName(record->pw_dir);
    else
        home = qEnvironmentVariable("HOME");
    if (home.isEmpty() || !QDir::isAbsolutePath(home))
        return QStringLiteral("/");
    return QDir::cleanPath(home);
}

QString MiscTool::getDownloadFolder()
{
    const QString home = getUserHome();
    return home == QLatin1String("/") ? QStringLiteral("/Downloads")
                                      : home + QStringLiteral("/Downloads");
}

int MiscTool::transfersAtOnce()
{
    bool isNumber = false;
    const qint64 stored = storedText(Setting::TransfersAtOnce).trimmed().toLongLong(&isNumber);
    if (!isNumber)
        return QByteArray(settingInfo(Setting::TransfersAtOnce).defaultValue).toInt();
    return static_cast<int>(std::clamp<qint64>(stored, 1, 8));
}

FtpStreamProperties MiscTool::streamProperties()
{
    const auto& store = UserDefaults::standardUserDefaults();
    FtpStreamProperties properties;
    // Any value but 0 means anonymous; the saved user and password are then not read.
    if (store.integerForKey(Setting::Anonymous) != 0) {
        properties[FtpStreamProperty::kCFStreamPropertyFTPUserName] = QStringLiteral("anonymous");
        properties[FtpStreamProperty::kCFStreamPropertyFTPPassword] = QString(QLatin1String(""));
    } else {
        properties[FtpStreamProperty::kCFStreamPropertyFTPUserName] = storedText(Setting::User);
        properties[FtpStreamProperty::kCFStreamPropertyFTPPassword] = storedText(Setting::Password);
    }
    // Set either way, so that a stream never falls back to the library's default mode.
    properties[FtpStreamProperty::kCFStreamPropertyFTPUsePassiveMode] =
        store.integerForKey(Setting::Passive) == 1;
    if (store.integerForKey(Setting::UseProxy) == 1) {
        properties[FtpStreamProperty::kCFStreamPropertyFTPProxyHost] =
            storedText(Setting::ProxyHost);
        properties[FtpStreamProperty::kCFStreamPropertyFTPProxyPort] =
            storedText(Setting::ProxyPort);
        properties[FtpStreamProperty::kCFStreamPropertyFTPProxyUser] =
            storedText(Setting::ProxyUser);
        properties[FtpStreamProperty::kCFStreamPropertyFTPProxyPassword] =
            storedText(Setting::ProxyPassword);
    }
    // A store from before the setting existed reads as "if-available".
    properties[FtpStreamProperty::Encryption] =
        QVariant::fromValue(encryptionFromKey(storedText(Setting::Encryption)));
    if (protocol() == Protocol::SFTP) {
        // No key chosen: the first of the user's own keys, in the order ssh tries them.
        QString keyFile = storedText(Setting::SshKeyFile);
        for (const char* name : {"id_ed25519", "id_ecdsa", "id_rsa"}) {
            const QString own = getUserHome() + QStringLiteral("/.ssh/") + QLatin1String(name);
            if (keyFile.isEmpty() && QFileInfo(own).isReadable())
                keyFile = own;
        }
        if (!keyFile.isEmpty())
            properties[FtpStreamProperty::SshPrivateKeyFile] = keyFile;
        if (const auto passphrase = SshKeyFile::passphrase(keyFile))
            properties[FtpStreamProperty::SshKeyPassphrase] = *passphrase;
    }
    return properties;
}
