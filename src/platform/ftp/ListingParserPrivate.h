#pragma once

// Pieces shared by the listing parser's format readers (ListingParser*.cpp). Every reader works
// on one line without its line end, as a view into the caller's bytes: nothing is copied until
// a line turns out to name an entry, and nothing is read outside the view.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

class QDateTime;

namespace listingparser {

// What a format reader makes of one line.
enum class Verdict
{
    NotMine, // not this format: the next reader may try the line
    Nothing, // this format, but the line names no entry (header, summary, "." ...)
    Entry,   // the line names an entry, described in Fields
    Broken,  // this format and meant as an entry, but the name cannot be found
};

// An entry as a reader found it; the name is a view into the line.
struct Fields
{
    std::string_view name;
    std::optional<int32_t> type;
    std::optional<int64_t> size;
    std::optional<int64_t> msecs; // UTC, milliseconds since 1970-01-01
    // The line gave the name without its date; the rest of its columns may follow on the next
    // line (VMS).
    bool continued = false;
};

// "Now", for dates that carry no year. Read from the system clock only when such a date is met,
// and then once per parser call at most.
class Clock final
{
public:
    explicit Clock(const QDateTime* given)
        : m_given(given)
    {}
    int64_t msecs() const;

private:
    const QDateTime* m_given;
    mutable std::optional<int64_t> m_msecs;
};

// Calendar fields as a line gives them; year 0 when the line gives none.
struct CivilTime
{
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// The UTC time of t, or none when t is no real date. A missing year is the latest one that puts
// the date at most kFutureWindowDays after now: servers show the time instead of the year only
// for recent files, so this keeps a date a few days "in the future" (clock skew, New Year)
// without moving last December into next December.
inline constexpr int64_t kFutureWindowDays = 183;
std::optional<int64_t> utcMsecs(const CivilTime& t, const Clock& clock);

inline bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
inline bool isBlank(char c)
{
    // One compare rejects the letters and digits that make up most of a line.
    return static_cast<unsigned char>(c) <= ' ' && (c == ' ' || c == '\t');
}
inline bool isUpper(char c)
{
    return c >= 'A' && c <= 'Z';
}
inline char toLower(char c)
{
    return isUpper(c) ? static_cast<char>(c + ('a' - 'A')) : c;
}

// Eight bytes of s from pos on, the first in the lowest byte; pos + 8 <= s.size().
inline uint64_t eightBytes(std::string_view s, size_t pos)
{
    uint64_t x;
    std::memcpy(&x, s.data() + pos, sizeof x);
    return x;
}
inline constexpr uint64_t kEachByte = 0x0101010101010101ULL;
inline constexpr bool kLittleEndian = std::endian::native == std::endian::little;

inline size_t skipBlanks(std::string_view s, size_t pos)
{
    // Listings pad their columns with runs of spaces: eight at a time.
    if constexpr (kLittleEndian) {
        while (pos + 8 <= s.size()) {
            const uint64_t notSpace = eightBytes(s, pos) ^ (kEachByte * ' ');
            if (notSpace != 0) {
                pos += static_cast<size_t>(std::countr_zero(notSpace)) / 8;
                break;
            }
            pos += 8;
        }
    }
    while (pos < s.size() && isBlank(s[pos]))
        ++pos;
    return pos;
}

inline size_t tokenEnd(std::string_view s, size_t pos)
{
    if constexpr (kLittleEndian) {
        while (pos + 8 <= s.size()) {
            // The top bit of each byte below 0x21 (blanks and control bytes), exact up to the
            // first one: the borrow of a subtraction only runs past a byte that is below.
            const uint64_t x = eightBytes(s, pos);
            const uint64_t low = (x - kEachByte * 0x21) & ~x & (kEachByte * 0x80);
            if (low == 0) {
                pos += 8;
                continue;
            }
            pos += static_cast<size_t>(std::countr_zero(low)) / 8;
            if (isBlank(s[pos]))
                return pos;
            ++pos; // a control byte, part of the word
        }
    }
    while (pos < s.size() && !isBlank(s[pos]))
        ++pos;
    return pos;
}

// Walks the blank-separated words of a line, remembering where each one ends so that a reader
// can take the rest of the line (a name with spaces) from any point.
class Tokens final
{
public:
    explicit Tokens(std::string_view line, size_t from = 0)
        : m_line(line)
        , m_pos(from)
    {}
    // The next word, empty at the end of the line.
    std::string_view next()
    {
        const size_t begin = skipBlanks(m_line, m_pos);
        m_pos = tokenEnd(m_line, begin);
        return m_line.substr(begin, m_pos - begin);
    }
    // Where the last word ended.
    size_t pos() const { return m_pos; }
    // What follows the last word after its run of blanks.
    std::string_view restAfterBlanks() const { return m_line.substr(skipBlanks(m_line, m_pos)); }
    // What follows the last word after exactly one blank: keeps a name's leading spaces.
    std::string_view restAfterOneBlank() const
    {
        return m_pos < m_line.size() ? m_line.substr(m_pos + 1) : std::string_view();
    }

private:
    std::string_view m_line;
    size_t m_pos;
};

inline bool allDigits(std::string_view s)
{
    if (s.empty())
        return false;
    for (const char c : s) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

bool equalsNoCase(std::string_view s, std::string_view lowerWord);
bool startsWithNoCase(std::string_view s, std::string_view lowerWord);
// A count of decimal digits (and, where allowed, thousands commas). True when s is one; value
// then holds it, or stays empty when it does not fit in 64 signed bits ("size unknown").
bool parseCount(std::string_view s, std::optional<int64_t>& value, bool allowCommas = false);
// A small unsigned number of 1 to maxDigits digits, or -1.
inline int parseSmall(std::string_view s, size_t maxDigits)
{
    if (s.empty() || s.size() > maxDigits || maxDigits > 9)
        return -1;
    int n = 0;
    for (const char c : s) {
        if (!isDigit(c))
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}
// A month's name, abbreviated or not, in one of the languages servers print them in (a dot or
// comma after it allowed): 1 .. 12, else 0.
int monthFromName(std::string_view s);
// "H:MM", "HH:MM", "HH:MM:SS", "HH:MM:SS.fff" into t. The parts past minutes are optional.
bool parseClock(std::string_view s, CivilTime& t, bool* hadFraction = nullptr);
// Two-digit years as servers print them: 70-99 are 19xx, 00-69 are 20xx.
int fullYear(int year, size_t digits);

// The format readers, one per listing style. Each reads only its own shape and answers NotMine
// for anything else; the first reader that takes a line has the last word on it.
Verdict readUnix(std::string_view line, const Clock& clock, Fields& out);
Verdict readMlsd(std::string_view line, Fields& out);
Verdict readEplf(std::string_view line, Fields& out);
Verdict readDos(std::string_view line, Fields& out);
Verdict readOs2(std::string_view line, Fields& out);
Verdict readVxWorks(std::string_view line, Fields& out);
Verdict readVms(std::string_view line, Fields& out);
// The columns of a VMS entry whose name stood alone on the line before; false when the line is
// no such continuation.
bool readVmsContinuation(std::string_view line, Fields& out);
Verdict readTandem(std::string_view line, Fields& out);
Verdict readWfftp(std::string_view line, Fields& out);
Verdict readOs9(std::string_view line, Fields& out);
Verdict readAs400(std::string_view line, Fields& out);
Verdict readMvs(std::string_view line, Fields& out);

} // namespace listingparser
