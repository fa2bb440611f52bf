// Listings of host systems, each with a shape no other server uses:
//   CONFIG.TXT;3          2/4       5-MAR-2024 14:07:00  [GROUP,OWNER]  (RWED,RWED,RE,)   (VMS)
//   QSYS      77824 02/23/00 15:09:55 *DIR       QOpenSys/                             (AS/400)
//   WYOSPT 3420   2003/03/24  1   15  FB      80  6160  PO  MY.PDS                    (MVS)
//   MEMBER1   01.03 2002/08/12 2003/03/24 13:01    45    44     0 USERID            (MVS PDS)
//   IEFBR14   000008   00000F          00 FO             RN RU            31    ANY  (MVS load)
//   REPORT  101  4180 03-Mar-04 09:12:44 200,17 "nunu"                              (Tandem)

#include <algorithm>
#include <array>

#include "ListingEntry.h"
#include "ListingParserPrivate.h"

namespace listingparser {

namespace {

constexpr int64_t kVmsBlock = 512;

// "5-MAR-2024" (VMS).
bool parseVmsDate(std::string_view s, CivilTime& t)
{
    const size_t dash = s.find('-');
    if (dash == std::string_view::npos || s.size() != dash + 9 || s[dash + 4] != '-')
        return false;
    t.day = parseSmall(s.substr(0, dash), 2);
    t.month = monthFromName(s.substr(dash + 1, 3));
    t.year = parseSmall(s.substr(dash + 5, 4), 4);
    return t.day >= 1 && t.month != 0 && t.year >= 1;
}

// "2003/03/24", or "03/03/24" where the site shows two-digit years (MVS).
bool parseSlashedIsoDate(std::string_view s, CivilTime& t)
{
    const size_t y = s.size() - 6; // the year's digits
    if ((y != 4 && y != 2) || s[y] != '/' || s[y + 3] != '/')
        return false;
    const int year = parseSmall(s.substr(0, y), y);
    t.year = year < 0 ? 0 : fullYear(year, y);
    t.month = parseSmall(s.substr(y + 1, 2), 2);
    t.day = parseSmall(s.substr(y + 4, 2), 2);
    return year >= 0 && t.year >= 1 && t.month >= 1 && t.day >= 1;
}

// "02/23/00" (month first) or "23.02.00" (day first), as the AS/400's date format job
// attribute sets them; a four-digit year is taken as well.
bool parseAs400Date(std::string_view s, CivilTime& t)
{
    if ((s.size() != 8 && s.size() != 10) || s[2] != s[5] || (s[2] != '/' && s[2] != '.'))
        return false;
    const int first = parseSmall(s.substr(0, 2), 2);
    const int second = parseSmall(s.substr(3, 2), 2);
    const int year = parseSmall(s.substr(6), 4);
    // With slashes the month comes first, unless the first number can be no month
    // ("14/05/01").
    const bool monthFirst = s[2] == '/' && first <= 12;
    t.month = monthFirst ? first : second;
    t.day = monthFirst ? second : first;
    t.year = year < 0 ? 0 : fullYear(year, s.size() - 6);
    return year >= 0 && t.month >= 1 && t.day >= 1;
}

struct As400Type
{
    std::string_view word;
    int32_t type;
};
constexpr std::array<As400Type, 15> kAs400Types = {{
    {"*DIR", kEntryTypeDirectory},
    {"*DDIR", kEntryTypeDirectory},
    {"*LIB", kEntryTypeDirectory},
    {"*FLR", kEntryTypeDirectory},
    {"*STMF", kEntryTypeRegular},
    {"*DSTMF", kEntryTypeRegular},
    {"*FILE", kEntryTypeRegular},
    {"*MEM", kEntryTypeRegular},
    {"*DOC", kEntryTypeRegular},
    {"*SAVF", kEntryTypeRegular},
    {"*SYMLNK", kEntryTypeLink},
    {"*CHRSF", kEntryTypeCharDevice},
    {"*BLKSF", kEntryTypeBlockDevice},
    {"*FIFO", kEntryTypeFifo},
    {"*SOCKET", kEntryTypeSocket},
}};

std::optional<int32_t> as400Type(std::string_view word)
{
    for (const As400Type& known : kAs400Types) {
        if (word == known.word)
            return known.type;
    }
    return std::nullopt;
}

} // namespace

namespace {

bool readVmsColumns(std::string_view columns, Fields& out)
{
    // Used blocks (or "used/allocated"), the date and time, owner and protection, in whatever
    // order the server puts them; "[OWNER]" and "(RWED,...)" are passed over.
    Tokens tokens(columns);
    bool any = false;
    for (std::string_view word = tokens.next(); !word.empty(); word = tokens.next()) {
        CivilTime t;
        std::optional<int64_t> used;
        if (!out.size && parseCount(word.substr(0, word.find('/')), used)) {
            any = true;
            if (used && *used <= INT64_MAX / kVmsBlock)
                out.size = *used * kVmsBlock; // the size rounded up to whole blocks
        } else if (!out.msecs && parseVmsDate(word, t)) {
            any = true;
            Tokens ahead = tokens;
            if (parseClock(ahead.next(), t))
                tokens = ahead;
            const Clock noClock(nullptr);
            out.msecs = utcMsecs(t, noClock);
        }
    }
    return any;
}

} // namespace

Verdict readVms(std::string_view line, Fields& out)
{
    // NAME.EXT;VERSION first, kept whole: the version is part of the name the server knows.
    if (isBlank(line.front()))
        return Verdict::NotMine;
    Tokens tokens(line);
    const std::string_view first = tokens.next();
    const size_t semicolon = first.rfind(';');
    if (semicolon == std::string_view::npos || semicolon == 0 ||
        parseSmall(first.substr(semicolon + 1), 5) < 0)
        return Verdict::NotMine;
    const std::string_view base = first.substr(0, semicolon);
    if (base.find_first_of(";=") != std::string_view::npos)
        return Verdict::NotMine;
    out.name = first;
    out.type = kEntryTypeRegular;
    if (base.size() > 4 && equalsNoCase(base.substr(base.size() - 4), ".dir"))
        out.type = kEntryTypeDirectory;
    // A protected file shows an error text in place of its columns; a long name stands alone,
    // or with its size only, and the rest of its columns follow on the next line.
    const std::string_view columns = tokens.restAfterBlanks();
    out.continued = columns.empty() || (readVmsColumns(columns, out) && !out.msecs);
    return Verdict::Entry;
}

bool readVmsContinuation(std::string_view line, Fields& out)
{
    return !line.empty() && isBlank(line.front()) && readVmsColumns(line, out);
}

namespace {

// "03-Mar-04" or "3-Mar-04" (Tandem).
bool parseTandemDate(std::string_view s, CivilTime& t)
{
    const size_t dash = s.find('-');
    if ((dash != 1 && dash != 2) || s.size() != dash + 7 || s[dash + 4] != '-')
        return false;
    t.day = parseSmall(s.substr(0, dash), 2);
    t.month = monthFromName(s.substr(dash + 1, 3));
    const int year = parseSmall(s.substr(dash + 5, 2), 2);
    t.year = year < 0 ? 0 : fullYear(year, 2);
    return t.day >= 1 && t.month != 0 && year >= 0;
}

// A file code: digits, and a letter after them for some kinds of file ("101", "100O").
bool isTandemCode(std::string_view s)
{
    if (!s.empty() && isUpper(s.back()))
        s.remove_suffix(1);
    return s.size() <= 5 && allDigits(s);
}

} // namespace

Verdict readTandem(std::string_view line, Fields& out)
{
    // Name, file code (left out by some servers), end-of-file byte count, date, time, owner
    // "group,user" ("200, 17" when the numbers are aligned) or "GROUP.USER", rights.
    Tokens tokens(line);
    const std::string_view name = tokens.next();
    std::array<std::string_view, 5> words; // code, EOF, date, time, owner
    for (std::string_view& word : words)
        word = tokens.next();
    CivilTime t;
    // Without the code, the columns start one word earlier.
    const size_t at = parseTandemDate(words[2], t) ? 0 : 1;
    if ((at == 0 && !isTandemCode(words[0])) || !parseCount(words[1 - at], out.size) ||
        !parseTandemDate(words[2 - at], t) || !parseClock(words[3 - at], t) ||
        words[4 - at].find_first_of(",.") == std::string_view::npos)
        return Verdict::NotMine;
    out.name = name;
    out.type = kEntryTypeRegular;
    const Clock noClock(nullptr);
    out.msecs = utcMsecs(t, noClock);
    return Verdict::Entry;
}

Verdict readAs400(std::string_view line, Fields& out)
{
    // Owner, size, date, time, object type, name; members ("*MEM") show only some of them.
    Tokens tokens(line);
    std::array<std::string_view, 5> words;
    size_t typeAt = words.size();
    for (size_t i = 0; i < words.size(); ++i) {
        words[i] = tokens.next();
        if (!words[i].empty() && words[i][0] == '*') {
            typeAt = i;
            break;
        }
    }
    if (typeAt != 0 && typeAt != 1 && typeAt != 4)
        return Verdict::NotMine;
    const std::optional<int32_t> type = as400Type(words[typeAt]);
    if (!type)
        return Verdict::NotMine;
    if (typeAt == 4) {
        CivilTime t;
        if (!parseCount(words[1], out.size) || !parseAs400Date(words[2], t) ||
            !parseClock(words[3], t))
            return Verdict::NotMine;
        const Clock noClock(nullptr);
        out.msecs = utcMsecs(t, noClock);
    }
    std::string_view name = tokens.restAfterBlanks();
    out.type = *type;
    // Folders and libraries are listed with a trailing "/".
    if (name.size() > 1 && name.back() == '/') {
        name.remove_suffix(1);
        out.type = kEntryTypeDirectory;
    }
    out.name = name;
    return Verdict::Entry;
}

namespace {

// A member's name: 1 to 8 of A-Z, 0-9, $, # and @, not starting with a digit.
bool isMemberName(std::string_view s)
{
    return !s.empty() && s.size() <= 8 && !isDigit(s[0]) &&
           std::all_of(s.begin(), s.end(), [](char c) {
               return isUpper(c) || isDigit(c) || c == '$' || c == '#' || c == '@';
           });
}

// Six hexadecimal digits: a load module's size or its track and record address (TTR).
bool isHex6(std::string_view s)
{
    return s.size() == 6 && std::all_of(s.begin(), s.end(), [](char c) {
               return isDigit(c) || (c >= 'A' && c <= 'F');
           });
}

// A device type: "3390", "3380E", "3480".
bool isUnit(std::string_view s)
{
    return s.size() >= 4 && s.size() <= 8 && allDigits(s.substr(0, 4)) &&
           std::all_of(s.begin(), s.end(), [](char c) { return isUpper(c) || isDigit(c); });
}

} // namespace

Verdict readMvs(std::string_view line, Fields& out)
{
    Tokens tokens(line);
    std::array<std::string_view, 11> words;
    size_t count = 0;
    while (count < words.size() && !(words[count] = tokens.next()).empty())
        ++count;

    CivilTime t;
    // A member listed without statistics: its name alone.
    if (count == 1 && isMemberName(words[0])) {
        out.name = words[0];
        out.type = kEntryTypeRegular;
        return Verdict::Entry;
    }
    // A load module: name, size and TTR in hexadecimal, alias, attributes; no date.
    if (count >= 3 && isMemberName(words[0]) && isHex6(words[1]) && isHex6(words[2])) {
        out.name = words[0];
        out.type = kEntryTypeRegular;
        return Verdict::Entry;
    }
    // A PDS member: name, version.modification, created, changed, time, ...
    if (count >= 5 && words[1].size() == 5 && words[1][2] == '.' &&
        allDigits(words[1].substr(0, 2)) && allDigits(words[1].substr(3)) &&
        parseSlashedIsoDate(words[2], t) && parseSlashedIsoDate(words[3], t) &&
        parseClock(words[4], t)) {
        // Sizes are in records, not bytes: none is given.
        out.name = words[0];
        out.type = kEntryTypeRegular;
        const Clock noClock(nullptr);
        out.msecs = utcMsecs(t, noClock);
        return Verdict::Entry;
    }
    // A data set: volume, unit, referred, extents, used, recfm, lrecl, blksize, dsorg, dsname.
    // The referred date is when it was last read, not changed: no date is given. Some columns
    // show "?" or "**NONE**"; migrated and tape data sets show only their name.
    if (count < 2 || count == words.size())
        return Verdict::NotMine;
    const std::string_view dsname = words[count - 1];
    const bool migrated = equalsNoCase(words[0], "migrated");
    const bool onTape = count >= 5 && words[1] == "Not" && words[2] == "Direct";
    const bool dated = parseSlashedIsoDate(words[2], t) || words[2] == "**NONE**";
    if (migrated || onTape || (count >= 7 && isUnit(words[1]) && dated)) {
        out.name = dsname;
        const std::string_view dsorg = words[count - 2];
        out.type = !migrated && !onTape && dsorg.substr(0, 2) == "PO" ? kEntryTypeDirectory
                                                                      : kEntryTypeRegular;
        return Verdict::Entry;
    }
    // A qualifier level below the current one.
    if (count == 3 && words[0] == "Pseudo" && words[1] == "Directory") {
        out.name = words[2];
        out.type = kEntryTypeDirectory;
        return Verdict::Entry;
    }
    return Verdict::NotMine;
}

} // namespace listingparser
