// Listings of host systems, each with a shape no other server uses:
//   CONFIG.TXT;3          2/4       5-MAR-2024 14:07:00  [GROUP,OWNER]  (RWED,RWED,RE,)   (VMS)
//   QSYS      77824 02/23/00 15:09:55 *DIR       QOpenSys/                             (AS/400)
//   WYOSPT 3420   2003/03/24  1   15  FB      80  6160  PO  MY.PDS                    (MVS)
//   MEMBER1   01.03 2002/08/12 2003/03/24 13:01    45    44     0 USERID            (MVS PDS)

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

// "2003/03/24" (MVS).
bool parseSlashedIsoDate(std::string_view s, CivilTime& t)
{
    if (s.size() != 10 || s[4] != '/' || s[7] != '/')
        return false;
    t.year = parseSmall(s.substr(0, 4), 4);
    t.month = parseSmall(s.substr(5, 2), 2);
    t.day = parseSmall(s.substr(8, 2), 2);
    return t.year >= 1 && t.month >= 1 && t.day >= 1;
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
    t.month = s[2] == '/' ? first : second;
    t.day = s[2] == '/' ? second : first;
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

Verdict readVms(std::string_view line, Fields& out)
{
    // NAME.EXT;VERSION first. The name is given without its version (the server then means the
    // latest one) and folders without their ".DIR", as they are addressed.
    if (isBlank(line.front()))
        return Verdict::NotMine;
    Tokens tokens(line);
    const std::string_view first = tokens.next();
    const size_t semicolon = first.rfind(';');
    if (semicolon == std::string_view::npos || semicolon == 0 ||
        parseSmall(first.substr(semicolon + 1), 5) < 0)
        return Verdict::NotMine;
    std::string_view name = first.substr(0, semicolon);
    if (name.find_first_of(";=") != std::string_view::npos)
        return Verdict::NotMine;
    out.type = kEntryTypeRegular;
    if (name.size() > 4 && equalsNoCase(name.substr(name.size() - 4), ".dir")) {
        name.remove_suffix(4);
        out.type = kEntryTypeDirectory;
    }
    out.name = name;

    // A long name stands alone and its columns follow on the next line (which is then passed
    // over); a protected file shows an error text in place of its columns. Either way the name
    // is still an entry.
    const std::string_view blocks = tokens.next();
    std::optional<int64_t> used;
    if (parseCount(blocks.substr(0, blocks.find('/')), used) && used &&
        *used <= INT64_MAX / kVmsBlock)
        out.size = *used * kVmsBlock; // used blocks: the size rounded up to whole blocks
    CivilTime t;
    if (parseVmsDate(tokens.next(), t) && parseClock(tokens.next(), t)) {
        const Clock noClock(nullptr);
        out.msecs = utcMsecs(t, noClock);
    }
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

Verdict readMvs(std::string_view line, Fields& out)
{
    Tokens tokens(line);
    std::array<std::string_view, 11> words;
    size_t count = 0;
    while (count < words.size() && !(words[count] = tokens.next()).empty())
        ++count;

    CivilTime t;
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
    // The referred date is when it was last read, not changed: no date is given.
    if (count == 10 && parseSlashedIsoDate(words[2], t) && allDigits(words[3]) &&
        allDigits(words[4]) && !words[8].empty() && isUpper(words[8][0])) {
        out.name = words[9];
        out.type = words[8].substr(0, 2) == "PO" ? kEntryTypeDirectory : kEntryTypeRegular;
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
