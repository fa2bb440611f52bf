// The one-pass reader of the line nearly every Unix server sends; ListingParserUnix.cpp reads
// the rest, and its reading is the one that counts wherever the two could differ.

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "ListingParserUnix.h"

namespace listingparser {

namespace {

// Where the first 64 bytes of line are blanks: bit i for byte i, and set past the line's end.
uint64_t blanksOfFirst64(std::string_view line)
{
    char padded[64];
    const char* bytes = line.data();
    if (line.size() < sizeof padded) {
        std::memset(padded, ' ', sizeof padded);
        std::memcpy(padded, line.data(), line.size());
        bytes = padded;
    }
    uint64_t blanks = 0;
#if defined(__SSE2__)
    for (int i = 0; i < 4; ++i) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * i));
        const __m128i blank = _mm_or_si128(_mm_cmpeq_epi8(chunk, _mm_set1_epi8(' ')),
                                           _mm_cmpeq_epi8(chunk, _mm_set1_epi8('\t')));
        blanks |= uint64_t(uint32_t(_mm_movemask_epi8(blank))) << (16 * i);
    }
#else
    for (size_t i = 0; i < sizeof padded; ++i)
        blanks |= uint64_t(isBlank(bytes[i])) << i;
#endif
    return blanks;
}

// The columns nearly every server sends after an ls-style mode, read in one pass:
//   links owner group size Mon DD HH:MM|YYYY name
// False for any line that strays from this shape, and for the few that keep it but where the
// date search of readAfterMode would stop at an earlier word (an owner "may" in group 10, a
// link count 5 and an owner "mar" in group 2003...): readAfterMode reads those, and its
// reading is the one that counts.
// blanks: blanksOfFirst64(line).
bool readUsualColumns(std::string_view line, size_t from, int32_t type, uint64_t blanks,
                      const Clock& clock, Fields& out)
{
    if (type != kEntryTypeRegular && type != kEntryTypeDirectory && type != kEntryTypeLink)
        return false;
    std::array<std::string_view, 7> w; // links owner group size month day time-or-year
    size_t pos = from;
    size_t dayEnd = 0;
    for (std::string_view& word : w) {
        dayEnd = pos;
        // The word from the blanks' map while it lies inside it, else byte by byte.
        const uint64_t nonBlank = pos < 64 ? ~blanks & (~uint64_t(0) << pos) : 0;
        const uint64_t blankAfter =
            nonBlank ? blanks & (~uint64_t(0) << std::countr_zero(nonBlank)) : 0;
        size_t begin;
        if (blankAfter) {
            begin = static_cast<size_t>(std::countr_zero(nonBlank));
            pos = static_cast<size_t>(std::countr_zero(blankAfter));
        } else {
            begin = skipBlanks(line, pos);
            pos = tokenEnd(line, begin);
        }
        if (pos == begin)
            return false;
        word = line.substr(begin, pos - begin);
    }
    const auto& [links, owner, group, sizeWord, monthWord, dayWord, last] = w;

    // Owner and group are names, or numbers without anything after their digits; a group
    // that is a name holds no time.
    const bool numericOwner = isDigit(owner[0]);
    const bool numericGroup = isDigit(group[0]);
    if (!allDigits(links) || (numericOwner && !allDigits(owner)) ||
        (numericGroup ? !allDigits(group) : group.find(':') != std::string_view::npos))
        return false;
    // Up to 18 digits always fit; a longer size is left to parseCount.
    if (sizeWord.size() > 18)
        return false;
    uint64_t size = 0;
    for (const char c : sizeWord) {
        if (!isDigit(c))
            return false;
        size = size * 10 + static_cast<uint64_t>(c - '0');
    }
    // No month name starts with a digit, so a date can start before the month only as
    // "links owner group" read as "day month year", or "owner group size" as "month day year".
    const auto yearWord = [](std::string_view digits) {
        return digits.size() == 4 && digits != "0000";
    };
    const bool dayGroup = numericGroup && isDay(parseSmall(group, 2));
    if (numericOwner ? !numericGroup && yearWord(sizeWord) && isDay(parseSmall(owner, 2))
                     : dayGroup || (numericGroup && yearWord(group) && isDay(parseSmall(links, 2))))
        return false;

    CivilTime t;
    t.month = monthWord.size() == 3 ? monthFromName(monthWord) : 0;
    t.day = parseSmall(dayWord, 2);
    if (t.month == 0 || !isDay(t.day))
        return false;
    if (isYear(last, t)) {
        // A year, padded to the time's five columns: "Dec 31  2001". One blank before it
        // may mean a time after it instead.
        if (pos - last.size() == dayEnd + 1)
            return false;
    } else if (last.size() == 5 && last[2] == ':') {
        // "HH:MM" as parseClock reads it, midnight as "24:00" included.
        t.hour = parseSmall(last.substr(0, 2), 2);
        t.minute = parseSmall(last.substr(3), 2);
        if (t.hour < 0 || t.hour > 24 || t.minute < 0 || t.minute > 59 ||
            (t.hour == 24 && t.minute != 0))
            return false;
    } else if (last.size() > 5 || !parseClock(last, t)) {
        return false;
    }
    if (pos + 1 >= line.size())
        return false;

    setName(line.substr(pos + 1), type, out);
    out.size = static_cast<int64_t>(size);
    out.msecs = utcMsecs(t, clock);
    return true;
}

} // namespace

bool readUsualLine(std::string_view line, int32_t type, const Clock& clock, Fields& out)
{
    const uint64_t blanks = blanksOfFirst64(line);
    if (blanks == 0)
        return false;
    const auto modeEnd = static_cast<size_t>(std::countr_zero(blanks));
    return modeEnd > 1 && isPermissions(line.substr(1, modeEnd - 1)) &&
           readUsualColumns(line, modeEnd, type, blanks, clock, out);
}

} // namespace listingparser
