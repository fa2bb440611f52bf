#pragma once

#include <cstdint>
#include <optional>

#include <QDateTime>

#include "ListingEntry.h"

// Parses one line of a raw folder listing (Unix ls -l variants, DOS/IIS, EPLF, MLSD facts, ...).
// Answers what the caller does next:
//   n > 0  one whole line of n bytes, line end included, was read: the entry is set when the
//          line names one (headers, totals, blank lines, "." and ".." name none). A VMS name
//          listed without its date takes the next line too when that one holds its columns.
//   0      no complete line is present yet (for a VMS name without its date: nor the line
//          after it): call again once more bytes have come.
//   n < 0  the first -n bytes are one line that could not be read (it looks like neither an
//          entry nor a header of any format known here, or it is longer than 64 KiB). Skip
//          them, count the line, and go on: one odd line never ends the listing. A line that is
//          too long and whose end has not come yet is skipped in parts, each answered so.
// The entry's rawName holds the server's name bytes (any byte but the line end, NUL included);
// its name is their Latin-1 reading, one character per byte. A size that is no count the entry
// can hold (negative, not a number, past 64 bits) leaves the size out.
int64_t CFFTPCreateParsedResourceListing(const char* buffer, int64_t length,
                                         std::optional<ListingEntry>* entry);
// The same, with "now" given, for the year of dates that carry none.
int64_t CFFTPCreateParsedResourceListing(const char* buffer, int64_t length,
                                         std::optional<ListingEntry>* entry, const QDateTime& now);

// How a listed name is shown: its bytes read as UTF-8, or, where they are not valid UTF-8 (a
// server using a single-byte code), read as Latin-1 so that the name still shows.
// isUtf8, when given, tells whether the bytes were valid UTF-8 (and so are the name's UTF-8).
QString decodeListingName(const QByteArray& raw, bool* isUtf8 = nullptr);
