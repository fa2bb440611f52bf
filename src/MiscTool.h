#pragma once

#include <cstdint>
#include <optional>

#include <QString>
#include <QUrl>

#include "ListingEntry.h"
#include "platform/ftp/FtpStream.h"

// Stateless helpers shared by the whole application: FTP URL texts built from the saved
// settings, the readers of listing entries, size and date texts, and the user's folders.
class MiscTool final
{
public:
    MiscTool() = delete;

    // The saved Protocol; anything but "sftp" is FTP.
    static Protocol protocol();
    // "ftp://" Host ":" Port "/" [Directory "/"], from the store, verbatim. For SFTP,
    // "sftp://" Host ":" Port "/~/" [Directory "/"], or with an absolute Directory
    // "sftp://" Host ":" Port Directory "/".
    static QString getFTPURL();
    // A text as an ftp or sftp URL: trimmed, "ftp://" added when no scheme is given; no URL for
    // an empty text, another scheme, or a text the strict parser refuses.
    static std::optional<QUrl> smartURLForString(const QString& str);
    // The readable location of url below root, beginning with "/".
    static QString getFTPLocation(const QString& url, const QString& ftp_host);

    // Why the saved Host and Port cannot address a server, naming the field ("Host ..." or
    // "Port ..."); empty when they can. Host is a host name, an IPv4 address or an IPv6 address
    // in brackets; Port a number from 1 to 65535.
    static QString serverAddressProblem();
    static QString hostProblem(const QString& host);
    static QString portProblem(const QString& port);

    // The saved login, passive mode and proxy as stream properties, read afresh from the store.
    static FtpStreamProperties streamProperties();
    // The saved TransfersAtOnce: how many files move at once, each on a connection of its own.
    // A number past the ends reads as the nearest end (1 or 8), anything else as the default.
    static int transfersAtOnce();

    static int32_t getFileType(const ListingEntry& entry);
    static std::optional<QString> getFileName(const ListingEntry& entry);
    // "?" without a size; the size's decimal text for a regular file; "-" for anything else.
    static QString getFileSize(const ListingEntry& entry);
    // getFileSize(entry) read as a number ("-" and "?" read as 0), without making the text:
    // the table asks it for every cell it shows.
    static int64_t fileSizeNumber(const ListingEntry& entry);
    // "" without a date; otherwise the date in the locale's short date and time style.
    static QString getFileDate(const ListingEntry& entry);
    static QString convertBytes(uint64_t bytes);
    static uint64_t getLocalFileSize(const QString& path);
    static QString getUserHome();
    static QString getDownloadFolder();
};
