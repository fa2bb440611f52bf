// Unix "ls -l" style lines, and NetWare's close cousin:
//   -rw-r--r--   1 owner    group     5368709120 Dec  6 08:18 big file.bin
//   lrwxrwxrwx   1 0        0                 10 Dec 31  2001 link -> target.txt
//   crw-rw-rw-   1 root     root          1,   3 Mar 05 14:07 null
//   -rw-r--r--   1 owner    group           12 2024-03-05 14:07 iso.txt
//   d [RWCEAFMS] owner                    512 Jan 16 18:53 login
// Servers differ in the columns between the mode and the size (link count, owner, group, any of
// them missing, names with spaces), so the reader finds the date instead of counting columns:
// the word before it is the size, and the name starts one blank after it.

#include <algorithm>
#include <bit>
#include <cstring>

#include "ListingEntry.h"
#include "ListingParserPrivate.h"

namespace listingparser {

namespace {

std::optional<int32_t> typeFromModeLetter(char c)
{
    switch (c) {
    case '-':
        return kEntryTypeRegular;
    case 'd':
        return kEntryTypeDirectory;
    case 'l':
        return kEntryTypeLink;
    case 'c':
        return kEntryTypeCharDevice;
    case 'b':
        return kEntryTypeBlockDevice;
    case 'p':
        return kEntryTypeFifo;
    case 's':
        return kEntryTypeSocket;
    case 'D': // Solaris door
    case 'n': // HP-UX network special file
    case '?':
        return kEntryTypeUnknown;
    default:
        return std::nullopt;
    }
}

bool isPermissionLetter(char c)
{
    switch (c) {
    case '-':
    case 'r':
    case 'w':
    case 'x':
    case 's': // setuid/setgid with x
    case 'S': // setuid/setgid without x
    case 't': // sticky with x
    case 'T': // sticky without x
    case 'l': // mandatory locking (System V)
    case 'L':
    case '?':
        return true;
    default:
        return false;
    }
}

// The columns found around the date.
struct DateColumns
{
    std::string_view size;
    CivilTime time;
    size_t nameBegin = 0;
};

// "14:07" gives the time of day (the year stays open), "2019" the year (the time stays 00:00).
bool parseTimeOrYear(std::string_view s, CivilTime& t)
{
    if (s.size() == 4 && allDigits(s)) {
        t.year = parseSmall(s, 4);
        return t.year > 0;
    }
    return parseClock(s, t);
}

bool parseDay(std::string_view s, CivilTime& t)
{
    t.day = parseSmall(s, 2);
    return t.day >= 1 && t.day <= 31;
}

// "2024-03-05" (ls --time-style=long-iso and full-iso).
bool parseIsoDate(std::string_view s, CivilTime& t)
{
    if (s.size() != 10 || s[4] != '-' || s[7] != '-')
        return false;
    t.year = parseSmall(s.substr(0, 4), 4);
    t.month = parseSmall(s.substr(5, 2), 2);
    t.day = parseSmall(s.substr(8, 2), 2);
    return t.year > 0 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31;
}

// "+0100" after a full-iso time: the listed time is local to that offset.
bool parseZoneOffset(std::string_view s, int& minutes)
{
    if (s.size() != 5 || (s[0] != '+' && s[0] != '-'))
        return false;
    const int hours = parseSmall(s.substr(1, 2), 2);
    const int mins = parseSmall(s.substr(3, 2), 2);
    if (hours < 0 || hours > 23 || mins < 0 || mins > 59)
        return false;
    minutes = (s[0] == '-' ? -1 : 1) * (hours * 60 + mins);
    return true;
}

// The size column: a count, or "major, minor" for a device. A word with digits that is no count
// ("-5", "12abc") still stands where the size goes; the entry then shows without a size.
bool isSizeColumn(std::string_view s, bool device)
{
    if (s.empty())
        return false;
    for (const char c : s) {
        if (isDigit(c))
            return true;
    }
    (void)device;
    return false;
}

// Blanks of 64 bytes of a line from base on: bit i is set when line[base + i] is a blank.
struct BlankWindow
{
    size_t base = 0;
    uint64_t blanks = 0;
};

// The word that ends before position end (and after from), or an empty view. Read from the
// window's mask where the word lies inside it, else byte by byte.
std::string_view wordBefore(std::string_view line, size_t from, size_t end, const BlankWindow& w)
{
    if (end > w.base && end - w.base < 64) {
        const auto below = [](size_t n) { return (uint64_t(1) << n) - 1; };
        const uint64_t filled = ~w.blanks & below(end - w.base);
        const uint64_t gaps = w.blanks & below(filled ? 64 - std::countl_zero(filled) : 0);
        if (filled && gaps) {
            const size_t wordEnd = w.base + 64 - static_cast<size_t>(std::countl_zero(filled));
            const size_t wordBegin = w.base + 64 - static_cast<size_t>(std::countl_zero(gaps));
            if (wordBegin > from)
                return line.substr(wordBegin, wordEnd - wordBegin);
        }
    }
    while (end > from && isBlank(line[end - 1]))
        --end;
    size_t begin = end;
    while (begin > from && !isBlank(line[begin - 1]))
        --begin;
    return line.substr(begin, end - begin);
}

// The word after position pos, which moves to its end; empty at the end of the line. Read from
// the window's mask where the word lies inside it, else byte by byte.
std::string_view nextWord(std::string_view line, size_t& pos, const BlankWindow& w)
{
    if (pos >= w.base && pos - w.base < 64) {
        // Bytes past the line's end are blanks in the mask: a word found here is in the line.
        const uint64_t words = ~w.blanks >> (pos - w.base);
        const size_t begin = pos + (words ? static_cast<size_t>(std::countr_zero(words)) : 64);
        const uint64_t gaps = begin - w.base < 64 ? w.blanks >> (begin - w.base) : 0;
        if (words && gaps) {
            pos = begin + static_cast<size_t>(std::countr_zero(gaps));
            return line.substr(begin, pos - begin);
        }
    }
    const size_t begin = skipBlanks(line, pos);
    pos = tokenEnd(line, begin);
    return line.substr(begin, pos - begin);
}

// Reads "SIZE Mon DD T", "SIZE DD Mon T" or "SIZE YYYY-MM-DD T" around the date word at at (a
// month when month is not 0, else an ISO date), where T is "HH:MM" or "YYYY". A time with
// seconds may be followed by a year (BSD ls -T) or, with a fraction, by a zone offset (GNU
// full-iso); only then, so that a file named "2024" after a plain time stays a name.
bool readDateAt(std::string_view line, size_t from, size_t at, int month, const BlankWindow& window,
                bool device, DateColumns& out, int& zoneMinutes)
{
    CivilTime t;
    size_t pos = at;
    const std::string_view dateWord = nextWord(line, pos, window);
    const std::string_view before = wordBefore(line, from, at, window);
    std::string_view size;
    if (month == 0) {
        if (!parseIsoDate(dateWord, t) || !isSizeColumn(before, device))
            return false;
        size = before;
    } else {
        t.month = month;
        size_t afterDay = pos;
        if (parseDay(nextWord(line, afterDay, window), t) && isSizeColumn(before, device)) {
            size = before;
            pos = afterDay;
        } else if (parseDay(before, t)) {
            size = wordBefore(line, from, static_cast<size_t>(before.data() - line.data()), window);
            if (!isSizeColumn(size, device))
                return false;
        } else {
            return false;
        }
    }

    const std::string_view timeWord = nextWord(line, pos, window);
    const int year = t.year;
    if (year ? !parseClock(timeWord, t) : !parseTimeOrYear(timeWord, t))
        return false;
    if (timeWord.size() >= 7 && std::count(timeWord.begin(), timeWord.end(), ':') == 2) {
        size_t afterExtra = pos;
        const std::string_view extra = nextWord(line, afterExtra, window);
        const bool fraction = timeWord.find('.') != std::string_view::npos;
        if (!year && !fraction && extra.size() == 4 && allDigits(extra)) {
            t.year = parseSmall(extra, 4);
            pos = afterExtra;
        } else if (year && fraction && parseZoneOffset(extra, zoneMinutes)) {
            pos = afterExtra;
        }
    }
    out.size = size;
    out.time = t;
    out.nameBegin = pos + 1;
    return true;
}

// 0x80 in each byte of x that equals c, 0 in the others (exact, no carries between bytes).
uint64_t bytesEqual(uint64_t x, unsigned char c)
{
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    const uint64_t t = x ^ (0x0101010101010101ULL * c);
    return ~(((t & kLow7) + kLow7) | t | kLow7);
}

// Bit i set when byte i of the 64 at p is a blank; bytes at or past end count as blanks.
uint64_t blankBits(const char* p, const char* end)
{
    char padded[64];
    if (end - p < 64) {
        std::memset(padded, ' ', sizeof padded);
        std::memcpy(padded, p, static_cast<size_t>(end - p));
        p = padded;
    }
    uint64_t bits = 0;
    for (int k = 0; k < 8; ++k) {
        uint64_t x;
        std::memcpy(&x, p + 8 * k, 8);
        if constexpr (std::endian::native == std::endian::big)
            x = __builtin_bswap64(x);
        const uint64_t marks = bytesEqual(x, ' ') | bytesEqual(x, '\t');
        // Gathers the eight 0x80 marks into eight bits, byte 0 into bit 0.
        bits |= (((marks >> 7) * 0x0102040810204080ULL) >> 56) << (8 * k);
    }
    return bits;
}

// Finds the date columns after the mode (which ends at from): the first word of three letters
// (a month) or of ten characters (an ISO date) that fits one of the patterns above. Words are
// found 64 bytes at a time from a mask of the blanks rather than byte by byte, which keeps the
// padded columns before the date cheap; only the few candidate words are looked at closely.
bool findDateColumns(std::string_view line, size_t from, bool device, DateColumns& out,
                     int& zoneMinutes)
{
    // Each window of 64 bytes decides the starts at its bits 1..52: a start needs the byte
    // before it and the byte ten after it in the same window.
    constexpr size_t kStep = 52;
    constexpr uint64_t kStarts = ((uint64_t(1) << (kStep + 1)) - 1) & ~uint64_t(1);
    const char* const end = line.data() + line.size();
    for (size_t base = from; base + 1 < line.size(); base += kStep) {
        const uint64_t blanks = blankBits(line.data() + base, end);
        const BlankWindow window{base, blanks};
        uint64_t starts = (blanks << 1) & ~blanks & ((blanks >> 3) | (blanks >> 10)) & kStarts;
        while (starts) {
            const auto bit = static_cast<unsigned>(std::countr_zero(starts));
            starts &= starts - 1;
            // Only words of exactly three or ten characters go on, and only when they look
            // like a month or a date.
            const uint64_t word = blanks >> bit;
            const size_t at = base + bit;
            const int month = (word & 0xF) == 0x8 ? monthFromName(line.substr(at, 3)) : 0;
            const bool iso = (word & 0x7FF) == 0x400 && line[at + 4] == '-' && line[at + 7] == '-';
            if ((month || iso) &&
                readDateAt(line, from, at, month, window, device, out, zoneMinutes))
                return true;
        }
    }
    return false;
}

// Shared by both styles once the type is known: date, size, name.
Verdict readAfterMode(std::string_view line, size_t pos, int32_t type, const Clock& clock,
                      Fields& out)
{
    const bool device = type == kEntryTypeCharDevice || type == kEntryTypeBlockDevice;
    DateColumns columns;
    int zoneMinutes = 0;
    if (!findDateColumns(line, pos, device, columns, zoneMinutes))
        return Verdict::NotMine;
    if (columns.nameBegin >= line.size())
        return Verdict::Broken;

    std::string_view name = line.substr(columns.nameBegin);
    if (type == kEntryTypeLink) {
        if (const size_t arrow = name.find(" -> "); arrow != std::string_view::npos)
            name = name.substr(0, arrow);
    }
    out.name = name;
    out.type = type;
    // A device shows "major, minor" where a file shows its size.
    if (!device)
        parseCount(columns.size, out.size);
    out.msecs = utcMsecs(columns.time, clock);
    if (out.msecs)
        *out.msecs -= zoneMinutes * 60'000LL;
    return Verdict::Entry;
}

} // namespace

Verdict readUnix(std::string_view line, const Clock& clock, Fields& out)
{
    // Type letter, nine permission letters, at most one marker (ACL "+", SELinux ".", macOS
    // "@"), then a blank.
    if (line.size() < 12)
        return Verdict::NotMine;
    const std::optional<int32_t> type = typeFromModeLetter(line[0]);
    if (!type)
        return Verdict::NotMine;
    for (size_t i = 1; i < 10; ++i) {
        if (!isPermissionLetter(line[i]))
            return Verdict::NotMine;
    }
    size_t pos = 10;
    if (line[pos] == '+' || line[pos] == '.' || line[pos] == '@')
        ++pos;
    if (!isBlank(line[pos]))
        return Verdict::NotMine;
    return readAfterMode(line, pos, *type, clock, out);
}

Verdict readNetWare(std::string_view line, const Clock& clock, Fields& out)
{
    // "d [RWCEAFMS] owner size date name": the rights in brackets instead of a Unix mode.
    if (line.size() < 6 || (line[0] != 'd' && line[0] != '-') || line[1] != ' ' || line[2] != '[')
        return Verdict::NotMine;
    const size_t close = line.find(']', 3);
    if (close == std::string_view::npos || close > 16 || close + 1 >= line.size() ||
        !isBlank(line[close + 1]))
        return Verdict::NotMine;
    const int32_t type = line[0] == 'd' ? kEntryTypeDirectory : kEntryTypeRegular;
    return readAfterMode(line, close + 1, type, clock, out);
}

} // namespace listingparser
