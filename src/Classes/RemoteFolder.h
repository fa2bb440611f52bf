#pragma once

#include <optional>

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include "ListingEntry.h"

// The remote side as the window shows it: the folders entered from the root, the entries of
// the folder shown, whether a connection is open, and the answers the browser, the queue and
// the operations need about them, each decided here once.
class RemoteFolder final : public QObject
{
    Q_OBJECT

public:
    explicit RemoteFolder(QObject* parent = nullptr);

    // The URL of the folder entered last, the URLs of the folders entered (the root first), and
    // the entries of the folder's listing.
    QString FTP_URL;
    QStringList ftpURLStack;
    std::optional<QList<ListingEntry>> listEntries;

    // The URL of the folder shown.
    QString getCurrentFTPURL() const;
    // Starts again at the root folder: the stack holds it alone.
    void reset(const QString& rootURL);
    // Enters the folder at folderURL, below the one shown.
    void enter(const QString& folderURL);
    // Goes back to the folder above the one shown; false at the root.
    bool leave();
    // Whether the folder shown is the root (there is no folder above it to go back to).
    bool atRoot() const { return ftpURLStack.size() < 2; }

    // Whether the window is connected (from a connect until the disconnect).
    bool isConnected() const { return connected; }
    void setConnected(bool value) { connected = value; }

    // The number of entries, and the entry at listEntries row (none out of range).
    int count() const;
    const ListingEntry* entryAt(int row) const;

    // Whether the entry shows as a folder: it has a size and is not a regular file. A link is
    // one too; whether it names a folder only the server can tell.
    static bool isFolder(const ListingEntry& entry);
    // The name bytes of an entry as the server sent them (its shown name when none were kept).
    static QByteArray rawNameOf(const ListingEntry& entry);

    // The URL of a name in the folder at folderURL: the folder's URL as it stands, the name's
    // bytes escaped as one path component (so "?" or "#" stay part of the name). None when the
    // folder's URL cannot take one.
    static std::optional<QString> urlIn(const QString& folderURL, const QByteArray& name,
                                        bool folder);
    // The same in the folder shown, for a name and for one of its entries.
    std::optional<QString> urlOf(const QByteArray& name, bool folder) const;
    std::optional<QString> urlOf(const ListingEntry& entry) const;
    // The entry's URL with the login the streams use (the saved user and password, or
    // anonymous) written into it, for the requests that take their login from the URL.
    std::optional<QUrl> credentialedURL(const ListingEntry& entry) const;
    // The same for any URL of the server's.
    static std::optional<QUrl> credentialed(const QString& plainURL);
    // "ftp://" or "sftp://" as url begins with it; empty for any other URL.
    static QString schemeOf(const QString& url);

private:
    bool connected = false;
};
