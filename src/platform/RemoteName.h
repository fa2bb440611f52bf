#pragma once

#include <QByteArray>
#include <QString>

// The one decision on whether a name from a listing, a prompt or a local file can be used as a
// single entry of a folder. Two levels:
// - addressable: the bytes name exactly one entry on the server, so that a URL or an FTP
//   command built from them reaches that entry and nothing else (navigation, delete, create
//   folder, upload);
// - safe as a local file name: addressable, and also free of characters that hide or disguise
//   what a file manager shows (a download writes a file of that name).
namespace RemoteName {

// Not empty, not "." or "..", no "/" (libcurl walks a decoded "/" as a folder), and no NUL, CR
// or LF (they would split an FTP command line).
bool isAddressable(const QByteArray& name);
// Why name is not addressable, as a short phrase; empty when it is.
QString whyNotAddressable(const QByteArray& name);

// Addressable as UTF-8, and without control characters (C0, DEL, C1) or the direction overrides
// and isolates U+202A..U+202E and U+2066..U+2069, which make "rlo-\u202etxt.exe" show as
// "rlo-exe.txt".
bool isSafeLocalName(const QString& name);
// Why name is not safe as a local file name; empty when it is.
QString whyNotSafeLocalName(const QString& name);

// The longest name a new entry may get, in bytes of UTF-8: the usual file system limit.
constexpr qsizetype kMaxNewNameBytes = 255;

// A name the user gives a new folder or an entry being renamed: safe as a local file name (a
// later download writes it), free of the direction marks U+200E and U+200F too, and at most
// kMaxNewNameBytes long.
// Why name cannot be given; empty when it can.
QString whyNotNewName(const QString& name);

} // namespace RemoteName
