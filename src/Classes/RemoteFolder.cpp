#include "Classes/RemoteFolder.h"

#include "MiscTool.h"
#include "platform/UrlText.h"

RemoteFolder::RemoteFolder(QObject* parent)
    : QObject(parent)
{}

QString RemoteFolder::getCurrentFTPURL() const
{
    return ftpURLStack.isEmpty() ? FTP_URL : ftpURLStack.constLast();
}

void RemoteFolder::reset(const QString& rootURL)
{
    FTP_URL = rootURL;
    ftpURLStack = QStringList{rootURL};
}

void RemoteFolder::enter(const QString& folderURL)
{
    FTP_URL = folderURL;
    ftpURLStack.append(folderURL);
}

bool RemoteFolder::leave()
{
    if (atRoot())
        return false;
    ftpURLStack.removeLast();
    FTP_URL = ftpURLStack.constLast();
    return true;
}

int RemoteFolder::count() const
{
    return listEntries ? static_cast<int>(listEntries->size()) : 0;
}

const ListingEntry* RemoteFolder::entryAt(int row) const
{
    if (!listEntries || row < 0 || row >= listEntries->size())
        return nullptr;
    return &listEntries->at(row);
}

bool RemoteFolder::isFolder(const ListingEntry& entry)
{
    return entry.kCFFTPResourceSize && entry.kCFFTPResourceType.value_or(0) != kEntryTypeRegular;
}

QByteArray RemoteFolder::rawNameOf(const ListingEntry& entry)
{
    if (!entry.rawName.isEmpty())
        return entry.rawName;
    return MiscTool::getFileName(entry).value_or(QString()).toUtf8();
}

std::optional<QString> RemoteFolder::urlIn(const QString& folderURL, const QByteArray& name,
                                           bool folder)
{
    return UrlText::entryURL(folderURL, name, folder);
}

std::optional<QString> RemoteFolder::urlOf(const QByteArray& name, bool folder) const
{
    return urlIn(getCurrentFTPURL(), name, folder);
}

std::optional<QString> RemoteFolder::urlOf(const ListingEntry& entry) const
{
    return urlOf(rawNameOf(entry), isFolder(entry));
}

QString RemoteFolder::schemeOf(const QString& url)
{
    for (const QLatin1String scheme : {QLatin1String("ftp://"), QLatin1String("sftp://")})
        if (url.startsWith(scheme, Qt::CaseInsensitive))
            return url.left(scheme.size());
    return QString();
}

std::optional<QUrl> RemoteFolder::credentialedURL(const ListingEntry& entry) const
{
    return credentialed(urlOf(entry).value_or(QString()));
}

std::optional<QUrl> RemoteFolder::credentialed(const QString& plain)
{
    const QString scheme = schemeOf(plain);
    if (scheme.isEmpty())
        return std::nullopt;

    // The login as the other operations use it: the saved user, or anonymous.
    const FtpStreamProperties properties = MiscTool::streamProperties();
    const auto text = [&](FtpStreamProperty key) {
        const auto it = properties.find(key);
        return it == properties.end() ? QByteArray() : it->second.toString().toUtf8();
    };
    const QString login =
        UrlText::escapeComponent(text(FtpStreamProperty::kCFStreamPropertyFTPUserName)) +
        QLatin1Char(':') +
        UrlText::escapeComponent(text(FtpStreamProperty::kCFStreamPropertyFTPPassword)) +
        QLatin1Char('@');
    return UrlText::urlWithString(scheme + login + plain.mid(scheme.size()));
}
