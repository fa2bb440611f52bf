#pragma once

#include <cstdint>
#include <optional>

#include <QDateTime>

#include "ListingEntry.h"

// Parses one line of a raw folder listing (Unix ls -l variants, DOS/IIS, EPLF, MLSD facts, ...).
// Answers the bytes consumed: > 0 for one whole line (entry set when the line names one), 0
// when no complete line is present, < 0 when the bytes cannot be parsed. The entry's rawName
// holds the server's name bytes; its name is their Latin-1 reading, one character per byte.
int64_t CFFTPCreateParsedResourceListing(const char* buffer, int64_t length,
                                         std::optional<ListingEntry>* entry);
// The same, with "now" given, for the year of dates that carry none.
int64_t CFFTPCreateParsedResourceListing(const char* buffer, int64_t length,
                                         std::optional<ListingEntry>* entry,
                                         const QDateTime& now);

// How a listed name is shown: its bytes read as UTF-8, or, where they are not valid UTF-8 (a
// server using a single-byte code), read as Latin-1 so that the name still shows.
QString decodeListingName(const QByteArray& raw);
