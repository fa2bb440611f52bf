// Listings made of facts rather than columns: MLSD lines (RFC 3659) and EPLF lines.
//   type=file;size=123;modify=20240305140700;perm=r; name with spaces
//   +i8388621.29609,m824255902,/,\tdev

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

} // namespace

Verdict readMlsd(std::string_view line, Fields& out)
{
    // "fact=value;...;" then one space, then the name (which may hold anything but a line end).
    const size_t space = line.find(' ');
    if (space == std::string_view::npos || space < 3 || line[space - 1] != ';')
        return Verdict::NotMine;
    const std::string_view facts = line.substr(0, space);
    // The facts must all be well formed before any is taken, so that a stray line holding "=" and
    // ";" is not half read.
    for (size_t pos = 0; pos < facts.size();) {
        const size_t end = facts.find(';', pos);
        const size_t eq = facts.find('=', pos);
        if (eq == pos || eq >= end)
            return Verdict::NotMine;
        pos = end + 1;
    }

    const Clock noClock(nullptr); // MLSD times carry their year
    for (size_t pos = 0; pos < facts.size();) {
        const size_t end = facts.find(';', pos);
        const size_t eq = facts.find('=', pos);
        const std::string_view name = facts.substr(pos, eq - pos);
        const std::string_view value = facts.substr(eq + 1, end - eq - 1);
        pos = end + 1;
        if (equalsNoCase(name, "type")) {
            if (typeFromFact(value, out.type) == MlsdType::Skip)
                return Verdict::Nothing;
        } else if (equalsNoCase(name, "size")) {
            parseCount(value, out.size);
        } else if (equalsNoCase(name, "modify")) {
            out.msecs = factTime(value, noClock);
        }
    }
    out.name = line.substr(space + 1);
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
