#include "ConnectUrl.h"

#include <array>

#include <QUrl>

#include "MiscTool.h"
#include "OperationOutcome.h"
#include "platform/Setting.h"

namespace {

struct Scheme
{
    const char* name;
    const char* defaultPort;
    const char* encryption;
    const char* protocol; // the Protocol setting's value
};

// The schemes a link may use.
constexpr std::array<Scheme, 3> kSchemes{{
    {"ftp", "21", "if-available", "ftp"},
    {"ftps", "990", "implicit", "ftp"},
    {"sftp", "22", "if-available", "sftp"},
}};

const Scheme* schemeNamed(const QString& name)
{
    for (const Scheme& scheme : kSchemes)
        if (name.compare(QLatin1String(scheme.name), Qt::CaseInsensitive) == 0)
            return &scheme;
    return nullptr;
}

QString text(const char* id, const char* english)
{
    return OperationOutcome::localizedText(id, english);
}

QString name(Setting key)
{
    return QLatin1String(settingInfo(key).name);
}

} // namespace

std::variant<ConnectUrl, QString> ConnectUrl::parse(const QString& given)
{
    for (const QChar c : given)
        if (c.isSpace() || c.category() == QChar::Other_Control)
            //% "The link holds a space or a control character."
            return text("LinkHasSpace", "The link holds a space or a control character.");
    const QUrl url(given, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        //% "\"%1\" is not a link to a server."
        return text("LinkNotALink", "\"%1\" is not a link to a server.").arg(given);
    const Scheme* scheme = schemeNamed(url.scheme());
    if (!scheme)
        //% "Tandrel opens ftp://, ftps:// and sftp:// links, not %1://."
        return text("LinkScheme", "Tandrel opens ftp://, ftps:// and sftp:// links, not %1://.")
            .arg(url.scheme());
    ConnectUrl parsed;
    parsed.scheme = QLatin1String(scheme->name);
    parsed.host = url.host(QUrl::FullyEncoded);
    if (parsed.host.contains(QLatin1Char(':')))
        parsed.host = QLatin1Char('[') + parsed.host + QLatin1Char(']');
    if (const QString problem = MiscTool::hostProblem(parsed.host); !problem.isEmpty())
        return problem + QLatin1Char('.');
    parsed.port = url.port() < 0 ? QLatin1String(scheme->defaultPort) : QString::number(url.port());
    if (const QString problem = MiscTool::portProblem(parsed.port); !problem.isEmpty())
        return problem + QLatin1Char('.');
    // ftp: one "/" ends the authority; a second one starts the path at the server's root
    // (RFC 1738). sftp: "/~/" starts the path in the login folder, as does no path at all; any
    // other path is the server's own, absolute.
    QString path = url.path(QUrl::FullyEncoded);
    const bool sftp = QLatin1String(scheme->protocol) == QLatin1String("sftp");
    if (!sftp || path == QLatin1String("/~") || path.startsWith(QLatin1String("/~/")))
        path.remove(0, sftp ? 3 : 1);
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    for (const char* escape : {"%00", "%0A", "%0D", "%0a", "%0d"})
        if (path.contains(QLatin1String(escape)))
            //% "The link's folder holds a line break or a NUL."
            return text("LinkFolderBreak", "The link's folder holds a line break or a NUL.");
    parsed.directory = path;
    parsed.user = url.userName(QUrl::FullyDecoded);
    parsed.password = url.password(QUrl::FullyDecoded);
    if (parsed.user == QLatin1String("anonymous"))
        parsed.user.clear();
    parsed.encryption = QLatin1String(scheme->encryption);
    parsed.protocol = QLatin1String(scheme->protocol);
    return parsed;
}

QVariantMap ConnectUrl::siteValues() const
{
    const bool anonymous = user.isEmpty();
    return {
        {name(Setting::Host), host},
        {name(Setting::Port), port},
        {name(Setting::Directory), directory},
        {name(Setting::Passive), QVariant::fromValue(qint64(1))},
        {name(Setting::Anonymous), QVariant::fromValue(qint64(anonymous ? 1 : 0))},
        {name(Setting::User), anonymous ? QStringLiteral("anonymous") : user},
        {name(Setting::Password), anonymous ? QString() : password},
        {name(Setting::Encryption), encryption},
        {name(Setting::Protocol), protocol},
    };
}

ConnectUrl ConnectUrl::ofSiteValues(const QVariantMap& values)
{
    const auto value = [&](Setting key) {
        return values.value(name(key), QLatin1String(settingInfo(key).defaultValue)).toString();
    };
    ConnectUrl link;
    link.encryption = value(Setting::Encryption);
    link.protocol = value(Setting::Protocol);
    link.scheme = link.protocol == QLatin1String("sftp")         ? QStringLiteral("sftp")
                  : link.encryption == QLatin1String("implicit") ? QStringLiteral("ftps")
                                                                 : QStringLiteral("ftp");
    link.host = value(Setting::Host);
    link.port = value(Setting::Port);
    link.directory = value(Setting::Directory);
    if (value(Setting::Anonymous).toLongLong() == 0)
        link.user = value(Setting::User);
    return link;
}

QString ConnectUrl::displayText() const
{
    QString text = scheme + QStringLiteral("://");
    if (!user.isEmpty())
        text += QString::fromLatin1(QUrl::toPercentEncoding(user)) + QLatin1Char('@');
    text += host + QLatin1Char(':') + port;
    // An sftp folder below the login folder is written from "/~/"; an absolute one as it is.
    if (directory.startsWith(QLatin1Char('/')) && scheme == QLatin1String("sftp"))
        return text + directory + QLatin1Char('/');
    text += scheme == QLatin1String("sftp") ? QStringLiteral("/~/") : QStringLiteral("/");
    return directory.isEmpty() ? text : text + directory + QLatin1Char('/');
}
