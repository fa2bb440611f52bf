// Unix "ls -l" style lines, as many servers and locales print them, and NetWare's close cousin:
//   -rw-r--r--   1 owner    group     5368709120 Dec  6 08:18 big file.bin
//   lrwxrwxrwx   1 0        0                 10 Dec 31  2001 link -> target.txt
//   crw-rw-rw-   1 root     root          1,   3 Mar 05 14:07 null
//   -rw-r--r--   1 owner    group           12 2024-03-05 14:07 iso.txt
//   -rw-r--r--   1 owner    group           12 14. März, 08:05 german.txt
//   -rw-r--r--   1 owner    group           12 7月 21日 2004年 japanese.txt
//   -rw------ -  1 owner    group           12 Oct 20, 99 10:39 pm older.txt
//   -rw-r--r--   1 owner    group           12 1080206400 seconds-since-1970.txt
//   d [RWCEAFMS] owner                    512 Jan 16 18:53    login
// Servers differ in the columns between the mode and the date (link count, owner, group, any of
// them missing or run together), so the reader finds the date instead of counting columns: the
// word before it is the size, and the name starts one blank after it as a rule.

#include "ListingParserUnix.h"

#include <algorithm>

namespace listingparser {

namespace {

// The words looked at for the date; the name may go on far beyond them.
constexpr size_t kMaxWords = 16;

// The words after the mode, split off only as far as the date search asks for them.
class Words final
{
public:
    Words(std::string_view line, size_t from)
        : m_line(line)
        , m_tokens(line, from)
    {}
    // Word k; empty past the end of the line.
    std::string_view text(size_t k)
    {
        fill(k);
        return k < m_count ? std::string_view(m_line.data() + m_words[k].begin,
                                              m_words[k].end - m_words[k].begin)
                           : std::string_view();
    }
    bool has(size_t k)
    {
        fill(k);
        return k < m_count;
    }
    // Where word k begins and ends in the line; k must exist.
    size_t begin(size_t k) const { return m_words[k].begin; }
    size_t end(size_t k) const { return m_words[k].end; }

private:
    // Left uninitialized until filled: most lines need only a few.
    struct Word
    {
        size_t begin;
        size_t end;
    };
    void fill(size_t k)
    {
        while (m_count <= k && m_count < kMaxWords && !m_done) {
            const std::string_view text = m_tokens.next();
            m_done = text.empty();
            if (!m_done)
                m_words[m_count++] = Word{m_tokens.pos() - text.size(), m_tokens.pos()};
        }
    }

    std::string_view m_line;
    Tokens m_tokens;
    std::array<Word, kMaxWords> m_words;
    size_t m_count = 0;
    bool m_done = false;
};

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

// NetWare's rights in brackets: "[RWCEAFMS]", "[R----F-]".
bool isBracketRights(std::string_view s)
{
    return s.size() >= 3 && s.size() <= 12 && s.front() == '[' && s.back() == ']';
}

// A day of the month, as "5", "05", "5." or "14,".
int dayOf(std::string_view s)
{
    if (!s.empty() && (s.back() == '.' || s.back() == ','))
        s.remove_suffix(1);
    const int day = parseSmall(s, 2);
    return isDay(day) ? day : -1;
}

// "14:07" gives the time of day (the year stays open), "2019" the year (the time stays 00:00).
bool timeOrYear(std::string_view s, CivilTime& t)
{
    return isYear(s, t) || parseClock(s, t);
}

// The CJK units of a date, 年/년 (year), 月/월 (month) and 日/일 (day), in the encodings
// servers print them in: UTF-8, Shift-JIS, EUC-JP, GBK, Big5 and EUC-KR.
using Marks = std::array<std::string_view, 7>;
constexpr Marks kYearMarks = {"\xE5\xB9\xB4", "\xEB\x85\x84", "\x94\x4E", "\xC7\xAF",
                              "\xC4\xEA",     "\xA6\x7E",     "\xB3\xE2"};
constexpr Marks kMonthMarks = {"\xE6\x9C\x88", "\xEC\x9B\x94", "\x8C\x8E", "\xB7\xEE",
                               "\xD4\xC2",     "\xA4\xEB",     "\xBF\xF9"};
constexpr Marks kDayMarks = {"\xE6\x97\xA5", "\xEC\x9D\xBC", "\x93\xFA", "\xC6\xFC",
                             "\xC8\xD5",     "\xA4\xE9",     "\xC0\xCF"};

// A number followed by one of the marks: "7月", "21日", "2004年", "5월"; else -1.
int beforeMark(std::string_view s, const Marks& marks)
{
    for (const std::string_view mark : marks) {
        if (s.size() > mark.size() && s.substr(s.size() - mark.size()) == mark) {
            if (const int n = parseSmall(s.substr(0, s.size() - mark.size()), 4); n >= 0)
                return n;
        }
    }
    return -1;
}

bool isMeridiem(std::string_view word)
{
    return equalsNoCase(word, "am") || equalsNoCase(word, "pm");
}

// "am" or "pm" after a 12-hour time: the hour made 0-23. False when the hour is no 12-hour one.
bool applyMeridiem(std::string_view word, CivilTime& t)
{
    if (t.hour < 1 || t.hour > 12)
        return false;
    t.hour = t.hour % 12 + (toLower(word[0]) == 'p' ? 12 : 0);
    return true;
}

// Two or three parts split by sep ("2024-03-05", "11-05", "15-mar-98"); their count, or 0.
int splitParts(std::string_view s, char sep, std::array<std::string_view, 3>& parts)
{
    int n = 0;
    for (size_t pos = 0; n < 3;) {
        const size_t end = s.find(sep, pos);
        parts[n] = s.substr(pos, end == std::string_view::npos ? s.npos : end - pos);
        if (parts[n++].empty())
            return 0;
        if (end == std::string_view::npos)
            return n >= 2 ? n : 0;
        pos = end + 1;
    }
    return 0;
}

// A date written in one word: "2024-03-05", "2008/03/21", "2010.12.24", "17-02-2011",
// "15-mar-98", or "11-05" (month and day, no year).
bool oneWordDate(std::string_view s, CivilTime& t)
{
    if (s.size() < 5 || !isDigit(s[0]))
        return false;
    std::array<std::string_view, 3> p;
    const char sep = s.find('-') != std::string_view::npos   ? '-'
                     : s.find('/') != std::string_view::npos ? '/'
                                                             : '.';
    const int n = splitParts(s, sep, p);
    if (n == 2) {
        if (sep != '-')
            return false;
        t.month = parseSmall(p[0], 2);
        t.day = parseSmall(p[1], 2);
    } else if (n == 3 && p[0].size() == 4) {
        t.year = parseSmall(p[0], 4);
        t.month = parseSmall(p[1], 2);
        t.day = parseSmall(p[2], 2);
    } else if (n == 3 && sep == '-' && (p[2].size() == 2 || p[2].size() == 4)) {
        t.day = parseSmall(p[0], 2);
        t.month = allDigits(p[1]) ? parseSmall(p[1], 2) : monthFromName(p[1]);
        const int year = parseSmall(p[2], 4);
        t.year = year < 0 ? -1 : fullYear(year, p[2].size());
    } else {
        return false;
    }
    return t.month >= 1 && t.month <= 12 && isDay(t.day) && t.year >= 0;
}

// Where the name starts after the date: one blank after it as a rule, which keeps a name's own
// leading spaces. Some servers pad the date's last column, and the padding is no part of the
// name.
enum class Gap
{
    OneBlank,  // the name starts one blank after the date
    TwoBlanks, // a year left-aligned in the time's five columns ("2003 "), then the blank
    AllBlanks, // padding of no fixed width
};

// Reads a date that starts at word i; answers how many words it takes (0: no date there). A
// date without a year needs a time or a year after it; one with a year may go without a time.
// zoneMinutes is the offset from UTC where the line gives one.
size_t dateAt(Words& w, size_t i, CivilTime& t, int& zoneMinutes, Gap& gap)
{
    const auto word = [&w](size_t k) { return w.text(k); };
    const std::string_view a = word(i);
    const std::string_view b = word(i + 1);
    const std::string_view c = word(i + 2);
    t = CivilTime();
    if (a.empty())
        return 0;

    if (!isDigit(a[0])) {
        // "Mon DD T", "Mon DD, YYYY [HH:MM]"; "Mon" in any of the known languages.
        // The cheap tests first: most words are no month, and a month is followed by a day
        // and a time or year.
        const int day = dayOf(b);
        if (day < 0 || c.empty() || !isDigit(c[0]) || (t.month = monthFromName(a)) == 0)
            return 0;
        t.day = day;
        if (b.back() == ',') {
            // "Mar 14, 2010 16:08", and older servers' "Oct 20, 99 10:39 pm".
            if (!isYear(c, t)) {
                const int year = c.size() == 2 ? parseSmall(c, 2) : -1;
                if (year < 0)
                    return 0;
                t.year = fullYear(year, 2);
            }
            if (!parseClock(word(i + 3), t))
                return 3;
            const std::string_view meridiem = word(i + 4);
            if (!isMeridiem(meridiem))
                return 4;
            return applyMeridiem(meridiem, t) ? 5 : 0;
        }
        if (!timeOrYear(c, t))
            return 0;
        // BSD "ls -T" prints "Mar  5 14:07:33 2024": a year after a time with seconds.
        if (t.year == 0 && c.size() >= 7 && isYear(word(i + 3), t))
            return 4;
        // ls pads a year on the left to the five columns of a time (" 2003"). A year one blank
        // after the day is padded on the right instead ("2003 "), or is followed by the time.
        if (t.year != 0 && w.begin(i + 2) == w.end(i + 1) + 1) {
            if (parseClock(word(i + 3), t))
                return 4;
            gap = Gap::TwoBlanks;
        }
        return 3;
    }

    // "7月 21日 2004年", "5월 3 14:07", "2006년 3월 9일": only words that end in a non-ASCII
    // byte or, in Shift-JIS and Big5, in one after it.
    const bool cjk = a.size() >= 3 && (static_cast<unsigned char>(a.back()) >= 0x80 ||
                                       static_cast<unsigned char>(a[a.size() - 2]) >= 0x80);
    if (const int year = cjk ? beforeMark(a, kYearMarks) : -1; year > 0) {
        t.year = year;
        t.month = beforeMark(b, kMonthMarks);
        t.day = beforeMark(c, kDayMarks);
        if (t.month < 1 || t.month > 12 || !isDay(t.day))
            return 0;
        return parseClock(word(i + 3), t) ? 4 : 3;
    }
    if (const int month = cjk ? beforeMark(a, kMonthMarks) : -1; month > 0) {
        t.month = month;
        t.day = beforeMark(b, kDayMarks);
        if (t.day < 0)
            t.day = parseSmall(b, 2);
        const int year = beforeMark(c, kYearMarks);
        if (month > 12 || !isDay(t.day) || !(year > 0 ? (t.year = year) : timeOrYear(c, t)))
            return 0;
        return 3;
    }

    // A date in one word, then a time, or for a full date perhaps none. Sizes, the most common
    // words here, are all digits and no such date.
    if (!allDigits(a) && oneWordDate(a, t)) {
        if (parseClock(b, t)) {
            // GNU "full-iso": "2024-03-05 14:07:33.250000000 +0100".
            if (b.find('.') != std::string_view::npos && c.size() == 5 &&
                (c[0] == '+' || c[0] == '-')) {
                const int hours = parseSmall(c.substr(1, 2), 2);
                const int minutes = parseSmall(c.substr(3, 2), 2);
                if (hours >= 0 && hours <= 23 && minutes >= 0 && minutes <= 59) {
                    zoneMinutes = (c[0] == '-' ? -1 : 1) * (hours * 60 + minutes);
                    return 3;
                }
            }
            return 2;
        }
        if (t.year == 0)
            return isYear(b, t) ? 2 : 0;
        // A year-first date alone is padded to its column ("2004.07.15   name").
        if (!isDigit(a[4]))
            gap = Gap::AllBlanks;
        return 1;
    }

    // "15 Oct 12:40", "14. März, 08:05", "9. Dez. 2011".
    if (const int day = dayOf(a); day > 0) {
        if (timeOrYear(c, t)) {
            if (const int month = monthFromName(b); month > 0) {
                t.day = day;
                t.month = month;
                return 3;
            }
        }
        // "7 4 19:02": month and day as numbers, then a time.
        if (a.size() <= 2 && day <= 12 && dayOf(b) > 0 && b.size() <= 2 && parseClock(c, t)) {
            t.month = day;
            t.day = dayOf(b);
            return 3;
        }
    }
    return 0;
}

// A size as the column shows it: a count, a count with a unit ("12.5k", "3M"), or one run
// together with the owner's name before it ("webmaster987654321").
std::optional<int64_t> sizeOf(std::string_view s)
{
    std::optional<int64_t> size;
    if (parseCount(s, size))
        return size;
    if (s.empty() || !isDigit(s[0])) {
        // Owner and size run together when the size fills its column: take the trailing digits
        // when there are enough of them to be no part of a name.
        size_t digits = 0;
        while (digits < s.size() && isDigit(s[s.size() - 1 - digits]))
            ++digits;
        if (digits >= 6 && digits < s.size())
            parseCount(s.substr(s.size() - digits), size);
        return size;
    }
    const char unit = toLower(s.back());
    const int shift = unit == 'k' ? 10 : unit == 'm' ? 20 : unit == 'g' ? 30 : unit == 't' ? 40 : 0;
    s.remove_suffix(1);
    const size_t dot = s.find('.');
    std::optional<int64_t> whole;
    std::optional<int64_t> tenths;
    if (shift == 0 || !parseCount(s.substr(0, dot), whole) || !whole || *whole >= (1 << 20))
        return std::nullopt;
    int64_t value = *whole << shift;
    if (dot != std::string_view::npos) {
        const std::string_view fraction = s.substr(dot + 1, 1);
        if (!parseCount(fraction, tenths) || !tenths)
            return std::nullopt;
        value += (*tenths << shift) / 10;
    }
    return value;
}

// A folder's marker in the size column: "<DIR>", "[DIR]" or "DIR".
bool isFolderWord(std::string_view s)
{
    if (s.size() == 5 &&
        ((s.front() == '<' && s.back() == '>') || (s.front() == '[' && s.back() == ']')))
        s = s.substr(1, 3);
    return equalsNoCase(s, "dir");
}

// Seconds since 1970 in the date's place: nine or ten digits (1973 to 2286).
std::optional<int64_t> epochMsecsOf(std::string_view s)
{
    std::optional<int64_t> seconds;
    if (s.size() < 9 || s.size() > 10 || !parseCount(s, seconds) || !seconds)
        return std::nullopt;
    return *seconds * 1000;
}

// Everything after the mode: date, size, name. padded: the name column starts after padding
// of its own (NetWare).
Verdict readAfterMode(std::string_view line, size_t from, int32_t type, bool padded,
                      const Clock& clock, Fields& out)
{
    Words w(line, from);
    const bool device = type == kEntryTypeCharDevice || type == kEntryTypeBlockDevice;
    CivilTime t;
    int zoneMinutes = 0;
    size_t nameBegin = 0;
    std::optional<int64_t> size;
    std::optional<int64_t> epochMsecs;
    Gap gap = Gap::OneBlank;
    bool dated = false;
    for (size_t i = 0; w.has(i) && !dated; ++i) {
        const size_t taken = dateAt(w, i, t, zoneMinutes, gap);
        if (taken == 0)
            continue;
        dated = true;
        nameBegin = w.end(i + taken - 1) + 1;
        if (i > 0 && !device) {
            const std::string_view column = w.text(i - 1);
            if (type == kEntryTypeRegular && isFolderWord(column))
                type = kEntryTypeDirectory;
            else
                size = sizeOf(column);
        }
    }
    if (!dated) {
        // No date at all: "mode [links] [owner] [group] size name". The size is the last count
        // among the first few columns. A time after it means a date that could not be read:
        // better no entry than one with a wrong name.
        constexpr size_t kNone = kMaxWords;
        size_t sizeAt = kNone;
        for (size_t i = 0; w.has(i + 1) && i < 4; ++i) {
            std::optional<int64_t> count;
            if (parseCount(w.text(i), count)) {
                sizeAt = i;
                size = count;
            }
        }
        if (sizeAt == kNone)
            return Verdict::Broken;
        // Some servers print the time as seconds since 1970 after the size.
        if (w.has(sizeAt + 2) && (epochMsecs = epochMsecsOf(w.text(sizeAt + 1))))
            ++sizeAt;
        for (size_t i = sizeAt + 1; w.has(i) && i <= sizeAt + 3; ++i) {
            CivilTime ignored;
            if (parseClock(w.text(i), ignored))
                return Verdict::Broken;
        }
        nameBegin = w.end(sizeAt) + 1;
    }
    // The padding goes as long as a name follows it.
    if (padded || gap == Gap::AllBlanks)
        nameBegin = std::max(nameBegin, std::min(skipBlanks(line, nameBegin), line.size() - 1));
    else if (gap == Gap::TwoBlanks && nameBegin + 1 < line.size() && isBlank(line[nameBegin]))
        ++nameBegin;
    if (nameBegin >= line.size())
        return Verdict::Broken;

    setName(line.substr(nameBegin), type, out);
    out.size = size;
    if (dated)
        out.msecs = utcMsecs(t, clock);
    else
        out.msecs = epochMsecs;
    if (out.msecs)
        *out.msecs -= zoneMinutes * 60'000LL;
    return Verdict::Entry;
}

} // namespace

Verdict readUnix(std::string_view line, const Clock& clock, Fields& out)
{
    std::optional<int32_t> type = typeFromModeLetter(line[0]);
    if (!type)
        return Verdict::NotMine;
    // Most lines: a mode as ls prints it, then the usual columns.
    if (readUsualLine(line, *type, clock, out))
        return Verdict::Entry;
    Tokens tokens(line);
    const std::string_view mode = tokens.next();
    if (mode.size() > 1 && isPermissions(mode.substr(1)))
        return readAfterMode(line, tokens.pos(), *type, false, clock, out);

    // NetWare: "d [RWCEAFMS]", "-[R----F-]" or "d[RW---F-]"; only folders and files.
    if (line[0] != 'd' && line[0] != '-')
        return Verdict::NotMine;
    if (mode.size() > 1 && isBracketRights(mode.substr(1)))
        return readAfterMode(line, tokens.pos(), *type, true, clock, out);
    if (mode.size() == 1 && isBracketRights(tokens.next()))
        return readAfterMode(line, tokens.pos(), *type, true, clock, out);
    return Verdict::NotMine;
}

} // namespace listingparser
