#pragma once

// What the two readers of ls-style lines share: the one-pass reader of the usual line
// (ListingParserUnixUsual.cpp) and the general reader (ListingParserUnix.cpp).

#include <array>

#include "ListingEntry.h"
#include "ListingParserPrivate.h"

namespace listingparser {

// The permissions after the type letter: nine of "rwx-" and their setuid, sticky and locking
// variants as a rule, but servers also send fewer ("drwxr-x") and other capitals ("-rw----A--").
// A marker may follow (ACL "+", SELinux ".", macOS "@").
// What a permission letter counts for, summed over the letters: "rwx-" in the low bits, other
// capitals from bit 4 on, anything else far above both. setuid, sticky and locking letters
// count for nothing.
inline constexpr uint16_t kUsualLetter = 1;
inline constexpr uint16_t kOtherLetter = 1 << 4;
inline constexpr uint16_t kNoLetter = 1 << 12;
inline constexpr std::array<uint16_t, 256> kPermissionLetters = [] {
    std::array<uint16_t, 256> table{};
    table.fill(kNoLetter);
    for (unsigned char c = 'A'; c <= 'Z'; ++c)
        table[c] = kOtherLetter;
    for (const unsigned char c : std::string_view("-rwx"))
        table[c] = kUsualLetter;
    for (const unsigned char c : std::string_view("sStTlL?"))
        table[c] = 0;
    return table;
}();

inline bool isPermissions(std::string_view s)
{
    if (!s.empty() && (s.back() == '+' || s.back() == '.' || s.back() == '@'))
        s.remove_suffix(1);
    if (s.size() < 6 || s.size() > 9)
        return false;
    unsigned sum = 0;
    for (const char c : s)
        sum += kPermissionLetters[static_cast<unsigned char>(c)];
    return sum < kNoLetter && sum % kOtherLetter >= 3 && sum / kOtherLetter <= 2;
}

inline bool isDay(int day)
{
    return day >= 1 && day <= 31;
}

inline bool isYear(std::string_view s, CivilTime& t)
{
    if (s.size() != 4 || !allDigits(s))
        return false;
    t.year = parseSmall(s, 4);
    return t.year > 0;
}

// The name from its start on: a link's target left out, a folder's marking "/" taken off.
inline void setName(std::string_view name, int32_t type, Fields& out)
{
    if (type == kEntryTypeLink) {
        if (const size_t arrow = name.find(" -> "); arrow != std::string_view::npos)
            name = name.substr(0, arrow);
    }
    // Some servers mark a folder only by a "/" after its name.
    if (type == kEntryTypeRegular && name.size() > 1 && name.back() == '/') {
        name.remove_suffix(1);
        type = kEntryTypeDirectory;
    }
    out.name = name;
    out.type = type;
}

// A line whose mode ls printed, followed by the usual columns, read in one pass: an entry in
// out, or false where the general reader must read the line.
bool readUsualLine(std::string_view line, int32_t type, const Clock& clock, Fields& out);

} // namespace listingparser
