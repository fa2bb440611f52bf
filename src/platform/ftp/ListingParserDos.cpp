// Listings of PC-style servers and small devices, in fixed columns:
//   03-05-24  02:07PM       <DIR>          Program Files      (Microsoft IIS, DOS style)
//   03-05-2024  14:07                 1234 report.txt
//            0           DIR   04-11-95   16:26  ADDRESS      (OS/2)
//          345  A          04-11-95   16:26  CONFIG.SYS
//        512    JAN-01-1996  00:00:00   TMP              <DIR> (VxWorks)
//   startup.cfg                 4423  02/12/03  Wed.    15:09:26  (Nortel/Bay switches, WFFTP)
//     0.0     03/06/24 1407  d-ewrewr      1C0        96 CMDS      (OS-9 "dir -e")

#include <algorithm>

#include "ListingEntry.h"
#include "ListingParserPrivate.h"

namespace listingparser {

namespace {

// "MM-DD-YY", "MM-DD-YYYY", the same with "/", or "YYYY-MM-DD". OS/2 counts three-digit
// years from 1900 ("04-23-103").
bool parseNumericDate(std::string_view s, CivilTime& t)
{
    if (s.size() == 10 && s[4] == '-' && s[7] == '-') {
        t.year = parseSmall(s.substr(0, 4), 4);
        t.month = parseSmall(s.substr(5, 2), 2);
        t.day = parseSmall(s.substr(8, 2), 2);
    } else if (s.size() >= 8 && s.size() <= 10 && (s[2] == '-' || s[2] == '/') && s[5] == s[2]) {
        t.month = parseSmall(s.substr(0, 2), 2);
        t.day = parseSmall(s.substr(3, 2), 2);
        const int year = parseSmall(s.substr(6), 4);
        t.year = year < 0 ? -1 : s.size() == 9 ? 1900 + year : fullYear(year, s.size() - 6);
    } else {
        return false;
    }
    return t.year >= 1 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31;
}

// "02:07PM", "02:07 PM" (as two words) or "14:07". Takes the meridiem word from tokens when
// it stands alone.
bool parseDosClock(std::string_view s, Tokens& tokens, CivilTime& t)
{
    std::string_view meridiem;
    if (s.size() > 2 && (equalsNoCase(s.substr(s.size() - 2), "am") ||
                         equalsNoCase(s.substr(s.size() - 2), "pm"))) {
        meridiem = s.substr(s.size() - 2);
        s.remove_suffix(2);
    } else {
        Tokens ahead = tokens;
        const std::string_view next = ahead.next();
        if (equalsNoCase(next, "am") || equalsNoCase(next, "pm")) {
            meridiem = next;
            tokens = ahead;
        }
    }
    if (!parseClock(s, t))
        return false;
    if (meridiem.empty())
        return true;
    if (t.hour < 1 || t.hour > 12)
        return false;
    t.hour %= 12;
    if (toLower(meridiem[0]) == 'p')
        t.hour += 12;
    return true;
}

} // namespace

Verdict readDos(std::string_view line, Fields& out)
{
    if (!isDigit(line.front()))
        return Verdict::NotMine;
    Tokens tokens(line);
    CivilTime t;
    if (!parseNumericDate(tokens.next(), t) || !parseDosClock(tokens.next(), tokens, t))
        return Verdict::NotMine;

    const std::string_view column = tokens.next();
    if (equalsNoCase(column, "<dir>")) {
        // The folder marker is padded to a fixed width: the name starts after the padding.
        out.type = kEntryTypeDirectory;
        out.name = tokens.restAfterBlanks();
    } else if (parseCount(column, out.size, true)) {
        out.type = kEntryTypeRegular;
        out.name = tokens.restAfterOneBlank();
    } else {
        return Verdict::NotMine;
    }
    const Clock noClock(nullptr); // these dates carry their year
    out.msecs = utcMsecs(t, noClock);
    return Verdict::Entry;
}

Verdict readOs2(std::string_view line, Fields& out)
{
    // Size, attribute words ("A", "R", "DIR"...), date, time, then the name.
    Tokens tokens(line);
    if (!parseCount(tokens.next(), out.size))
        return Verdict::NotMine;
    bool folder = false;
    CivilTime t;
    for (int words = 0;; ++words) {
        const std::string_view word = tokens.next();
        if (parseNumericDate(word, t) && word[4] != '-')
            break;
        const bool attributes =
            !word.empty() && word.size() <= 3 && std::all_of(word.begin(), word.end(), isUpper);
        if (words == 4 || !attributes)
            return Verdict::NotMine;
        folder = folder || word == "DIR";
    }
    if (!parseClock(tokens.next(), t))
        return Verdict::NotMine;
    out.name = tokens.restAfterBlanks();
    out.type = folder ? kEntryTypeDirectory : kEntryTypeRegular;
    const Clock noClock(nullptr);
    out.msecs = utcMsecs(t, noClock);
    return Verdict::Entry;
}

Verdict readVxWorks(std::string_view line, Fields& out)
{
    // Size, "MON-DD-YYYY", "HH:MM:SS", name, and "<DIR>" after a folder's name.
    Tokens tokens(line);
    if (!parseCount(tokens.next(), out.size))
        return Verdict::NotMine;
    const std::string_view date = tokens.next();
    if (date.size() != 11 || date[3] != '-' || date[6] != '-')
        return Verdict::NotMine;
    CivilTime t;
    t.month = monthFromName(date.substr(0, 3));
    t.day = parseSmall(date.substr(4, 2), 2);
    t.year = parseSmall(date.substr(7, 4), 4);
    if (t.month == 0 || t.day < 1 || t.year < 1 || !parseClock(tokens.next(), t))
        return Verdict::NotMine;

    std::string_view name = tokens.restAfterBlanks();
    out.type = kEntryTypeRegular;
    constexpr std::string_view kDirMark = "<DIR>";
    if (name.size() > kDirMark.size() && name.substr(name.size() - kDirMark.size()) == kDirMark) {
        name.remove_suffix(kDirMark.size());
        while (!name.empty() && isBlank(name.back()))
            name.remove_suffix(1);
        out.type = kEntryTypeDirectory;
    }
    out.name = name;
    const Clock noClock(nullptr);
    out.msecs = utcMsecs(t, noClock);
    return Verdict::Entry;
}

namespace {

// The last word of line[0, end), moving end to its start.
std::string_view lastWord(std::string_view line, size_t& end)
{
    while (end > 0 && isBlank(line[end - 1]))
        --end;
    const size_t wordEnd = end;
    while (end > 0 && !isBlank(line[end - 1]))
        --end;
    return line.substr(end, wordEnd - end);
}

bool isWeekday(std::string_view s)
{
    if (!s.empty() && s.back() == '.')
        s.remove_suffix(1);
    for (const std::string_view day : {"mon", "tue", "wed", "thu", "fri", "sat", "sun"}) {
        if (equalsNoCase(s, day))
            return true;
    }
    return false;
}

} // namespace

Verdict readWfftp(std::string_view line, Fields& out)
{
    // Name, size, "MM/DD/YY" or "MM/DD/YYYY", weekday, "HH:MM:SS", read from the end: the name
    // column is padded, and the line may end in a blank.
    size_t end = line.size();
    CivilTime t;
    if (!parseClock(lastWord(line, end), t) || !isWeekday(lastWord(line, end)))
        return Verdict::NotMine;
    const std::string_view date = lastWord(line, end);
    if ((date.size() != 8 && date.size() != 10) || date[2] != '/' || !parseNumericDate(date, t) ||
        !parseCount(lastWord(line, end), out.size))
        return Verdict::NotMine;
    while (end > 0 && isBlank(line[end - 1]))
        --end;
    if (end == 0 || isBlank(line[0]))
        return Verdict::NotMine;
    out.name = line.substr(0, end);
    out.type = kEntryTypeRegular;
    const Clock noClock(nullptr);
    out.msecs = utcMsecs(t, noClock);
    return Verdict::Entry;
}

Verdict readOs9(std::string_view line, Fields& out)
{
    // Owner "group.user", "YY/MM/DD HHMM", attributes (d, s, then pe pw pr e w r or "-"),
    // the first sector in hexadecimal, the byte count, the name.
    Tokens tokens(line);
    const std::string_view owner = tokens.next();
    const size_t dot = owner.find('.');
    if (dot == std::string_view::npos || !allDigits(owner.substr(0, dot)) ||
        !allDigits(owner.substr(dot + 1)))
        return Verdict::NotMine;
    const std::string_view date = tokens.next();
    const std::string_view time = tokens.next();
    const std::string_view attributes = tokens.next();
    if (date.size() != 8 || date[2] != '/' || date[5] != '/' || time.size() != 4 ||
        attributes.size() != 8 || attributes.find_first_not_of("-dsewr") != std::string_view::npos)
        return Verdict::NotMine;
    CivilTime t;
    const int year = parseSmall(date.substr(0, 2), 2);
    t.year = year < 0 ? 0 : fullYear(year, 2);
    t.month = parseSmall(date.substr(3, 2), 2);
    t.day = parseSmall(date.substr(6), 2);
    t.hour = parseSmall(time.substr(0, 2), 2);
    t.minute = parseSmall(time.substr(2), 2);
    if (year < 0 || t.hour < 0 || t.minute < 0)
        return Verdict::NotMine;
    const std::string_view sector = tokens.next();
    if (sector.empty() || sector.find_first_not_of("0123456789ABCDEFabcdef") != sector.npos ||
        !parseCount(tokens.next(), out.size))
        return Verdict::NotMine;
    out.name = tokens.restAfterBlanks();
    out.type = attributes[0] == 'd' ? kEntryTypeDirectory : kEntryTypeRegular;
    const Clock noClock(nullptr);
    out.msecs = utcMsecs(t, noClock);
    return Verdict::Entry;
}

} // namespace listingparser
