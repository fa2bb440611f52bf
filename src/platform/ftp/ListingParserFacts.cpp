// Listings made of facts rather than columns: MLSD lines (RFC 3659) and EPLF lines.
//   type=file;size=123;modify=20240305140700;perm=r; name with spaces
//   +i8388621.29609,m824255902,/,\tdev

#include <array>

#include "ListingEntry.h"
#include "ListingParserPrivate.h"

namespace listingparser {

namespace {

// The last second QDateTime is asked to show (9999-12-31 23:59:59 UTC).
constexpr int64_t kLastSecond = 253'402'300'799;

// RFC 3659 7.5.1: file, dir, cdir (the listed folder), pdir (its parent) and "OS.name=type"
// values; servers on Unix send links and devices as OS.unix=...
enum class MlsdType
{
    Skip,
    Known,
    Unknown
};
MlsdType typeFromFact(std::string_view value, std::optional<int32_t>& type)
{
    if (equalsNoCase(value, "file"))
        type = kEntryTypeRegular;
    else if (equalsNoCase(value, "dir"))
        type = kEntryTypeDirectory;
    else if (equalsNoCase(value, "cdir") || equalsNoCase(value, "pdir"))
        return MlsdType::Skip;
    else if (startsWithNoCase(value, "os.unix=slink") || startsWithNoCase(value, "os.unix=symlink"))
        type = kEntryTypeLink;
    else if (startsWithNoCase(value, "os.unix=chr"))
        type = kEntryTypeCharDevice;
    else if (startsWithNoCase(value, "os.unix=blk"))
        type = kEntryTypeBlockDevice;
    else if (startsWithNoCase(value, "os.unix=fifo") || startsWithNoCase(value, "os.unix=pipe"))
        type = kEntryTypeFifo;
    else if (startsWithNoCase(value, "os.unix=sock"))
        type = kEntryTypeSocket;
    else
        type = kEntryTypeUnknown;
    return type == kEntryTypeUnknown ? MlsdType::Unknown : MlsdType::Known;
}

// RFC 3659 2.3: YYYYMMDDHHMMSS[.sss], always UTC.
std::optional<int64_t> factTime(std::string_view value, const Clock& clock)
{
    if (value.size() < 14 || !allDigits(value.substr(0, 14)))
        return std::nullopt;
    CivilTime t;
    t.year = parseSmall(value.substr(0, 4), 4);
    t.month = parseSmall(value.substr(4, 2), 2);
    t.day = parseSmall(value.substr(6, 2), 2);
    t.hour = parseSmall(value.substr(8, 2), 2);
    t.minute = parseSmall(value.substr(10, 2), 2);
    t.second = parseSmall(value.substr(12, 2), 2);
    const std::string_view fraction = value.substr(14);
    if (!fraction.empty()) {
        if (fraction[0] != '.' || fraction.size() < 2 || !allDigits(fraction.substr(1)))
            return std::nullopt;
        const std::string_view digits = fraction.substr(1, 3);
        t.millisecond = parseSmall(digits, 3);
        for (size_t i = digits.size(); i < 3; ++i)
            t.millisecond *= 10;
    }
    return utcMsecs(t, clock);
}

// After a ";": another "fact=" or a blank before the name, rather than the rest of a name.
bool looksLikeFactsGoOn(std::string_view line, size_t pos)
{
    if (pos >= line.size() || isBlank(line[pos]))
        return true;
    const size_t eq = line.find('=', pos);
    return eq != std::string_view::npos &&
           line.substr(pos, eq - pos).find_first_of(" \t;") == std::string_view::npos;
}

} // namespace

Verdict readMlsd(std::string_view line, Fields& out)
{
    // "fact=value;...;" then one space (or, from some servers, a tab), then the name, which may
    // hold anything but a line end. Facts come in any order and case, values may hold spaces
    // ("UNIX.groupname=staff members;"), and some servers leave out the last ";": the value
    // then ends at the first blank.
    struct Fact
    {
        std::string_view name;
        std::string_view value;
    };
    std::array<Fact, 16> facts;
    size_t count = 0;
    size_t pos = 0;
    for (;;) {
        const size_t eq = line.find('=', pos);
        if (eq == std::string_view::npos || eq == pos || count == facts.size())
            return Verdict::NotMine;
        const std::string_view name = line.substr(pos, eq - pos);
        if (name.find_first_of(" \t;") != std::string_view::npos)
            return Verdict::NotMine;
        const size_t semicolon = line.find(';', eq);
        const size_t blank = line.find_first_of(" \t", eq);
        if (semicolon == std::string_view::npos ||
            (blank < semicolon && !looksLikeFactsGoOn(line, semicolon + 1))) {
            // The last fact without its ";".
            if (blank == std::string_view::npos)
                return Verdict::NotMine;
            facts[count++] = Fact{name, line.substr(eq + 1, blank - eq - 1)};
            pos = blank + 1;
            break;
        }
        facts[count++] = Fact{name, line.substr(eq + 1, semicolon - eq - 1)};
        pos = semicolon + 1;
        if (pos < line.size() && isBlank(line[pos])) {
            ++pos;
            break;
        }
    }

    const Clock noClock(nullptr); // MLSD times carry their year
    for (size_t i = 0; i < count; ++i) {
        const auto& [name, value] = facts[i];
        if (equalsNoCase(name, "type")) {
            if (typeFromFact(value, out.type) == MlsdType::Skip)
                return Verdict::Nothing;
        } else if (equalsNoCase(name, "size")) {
            parseCount(value, out.size);
        } else if (equalsNoCase(name, "modify")) {
            out.msecs = factTime(value, noClock);
        }
    }
    out.name = line.substr(pos);
    return Verdict::Entry;
}

Verdict readEplf(std::string_view line, Fields& out)
{
    // "+" facts separated by ",", a tab, the name. Facts: "/" a folder, "r" a file to retrieve,
    // "s" size, "m" modification time in seconds since 1970 (UTC); others are ignored.
    const size_t tab = line.find('\t');
    if (line.size() < 2 || line[0] != '+' || tab == std::string_view::npos)
        return Verdict::NotMine;
    const std::string_view facts = line.substr(1, tab - 1);
    bool folder = false;
    bool file = false;
    for (size_t pos = 0; pos <= facts.size();) {
        size_t end = facts.find(',', pos);
        if (end == std::string_view::npos)
            end = facts.size();
        const std::string_view fact = facts.substr(pos, end - pos);
        pos = end + 1;
        if (fact.empty())
            continue;
        const std::string_view value = fact.substr(1);
        std::optional<int64_t> number;
        switch (fact[0]) {
        case '/':
            folder = true;
            break;
        case 'r':
            file = true;
            break;
        case 's':
            parseCount(value, out.size);
            break;
        case 'm':
            if (parseCount(value, number) && number && *number <= kLastSecond)
                out.msecs = *number * 1000;
            break;
        default:
            break;
        }
    }
    if (folder)
        out.type = kEntryTypeDirectory;
    else if (file)
        out.type = kEntryTypeRegular;
    out.name = line.substr(tab + 1);
    return Verdict::Entry;
}

} // namespace listingparser
