#pragma once

#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Directory-entry type codes of a listing entry, as the directory interface numbers them.
enum ListingEntryType : int32_t
{
    kEntryTypeUnknown = 0,
    kEntryTypeFifo = 1,
    kEntryTypeCharDevice = 2,
    kEntryTypeDirectory = 4,
    kEntryTypeBlockDevice = 6,
    kEntryTypeRegular = 8,
    kEntryTypeLink = 10,
    kEntryTypeSocket = 12,
};

// One remote folder entry. Each field is absent when the listing did not give it.
struct ListingEntry
{
    // The name as shown: the server's bytes read as UTF-8 (see rawName).
    std::optional<QString> kCFFTPResourceName;
    std::optional<int32_t> kCFFTPResourceType;
    std::optional<int64_t> kCFFTPResourceSize;
    std::optional<QDateTime> kCFFTPResourceModDate;
    // The server's own name bytes, so that every operation can address the entry exactly;
    // empty when they are the UTF-8 of the name.
    QByteArray rawName;
};
// Moved in memory as plain bytes when a list of entries grows.
Q_DECLARE_TYPEINFO(ListingEntry, Q_RELOCATABLE_TYPE);
