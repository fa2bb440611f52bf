#pragma once

#include <cstdint>
#include <optional>

#include <QString>

// Where a stopped download's partial file came from, kept in a small file beside it
// (NAME.part.resume): the remote file's URL (no password in it) and the login user, the size the
// server announced for it and its modification time (MDTM) when the server gave one, and the
// partial file's length when the download stopped. A later
// download of the same file continues the partial file only while all of this still holds, so
// that a different file of the same name, or a partial file changed since, is never appended to.
//
// A file beside it rather than an extended attribute: user attributes are missing on tmpfs
// before Linux 6.6, on FAT and on many network shares, and copies often drop them. A record
// exists only while its download is stopped: continuing or finishing the download removes it.
struct PartialRecord final
{
    QString url;
    QString user;
    int64_t size = 0;
    int64_t length = 0;
    // YYYYMMDDHHMMSS as the server gave it; empty when it gave none (or an older record had
    // none): such a partial file is continued without knowing that the file stayed the same.
    QByteArray modified;

    // Whether the record is of the same remote file, fetched with the same login.
    bool sameOrigin(const QString& otherUrl, const QString& otherUser) const
    {
        return url == otherUrl && user == otherUser;
    }

    static QString pathFor(const QString& partialFile);
    // The record beside partialFile; none when there is none or the file there is not one.
    static std::optional<PartialRecord> readFor(const QString& partialFile);
    // Writes the record beside partialFile, replacing only an earlier record; false when another
    // file holds the name or the folder refuses it.
    bool writeFor(const QString& partialFile) const;
    // Removes the record beside partialFile: a record only, never another file of that name.
    static void removeFor(const QString& partialFile);
};
