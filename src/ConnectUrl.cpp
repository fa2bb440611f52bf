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
};

// The schemes a link may use. sftp:// joins here with its own row once a site names its
// protocol (a Protocol setting): the row then also says which protocol the link selects.
constexpr std::array<Scheme, 2> kSchemes{{
    {"ftp", "21", "if-available"},
    {"ftps", "990", "implicit"},
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
        //% "Tandrel opens ftp:// and ftps:// links, not %1://."
        return text("LinkScheme", "Tandrel opens ftp:// and ftps:// links, not %1://.")
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
    // One "/" ends the authority; a second one starts the path at the server's root (RFC 1738).
    QString path = url.path(QUrl::FullyEncoded);
    if (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
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
    };
}

ConnectUrl ConnectUrl::ofSiteValues(const QVariantMap& values)
{
    const auto value = [&](Setting key) {
        return values.value(name(key), QLatin1String(settingInfo(key).defaultValue)).toString();
    };
    ConnectUrl link;
    link.encryption = value(Setting::Encryption);
    link.scheme = QLatin1String(link.encryption == QLatin1String("implicit") ? "ftps" : "ftp");
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
    text += host + QLatin1Char(':') + port + QLatin1Char('/');
    return directory.isEmpty() ? text : text + directory + QLatin1Char('/');
}
