#include <algorithm>
#include <array>
#include <ctime>
#include <limits>

#include <QDateTime>

#include "ListingParserPrivate.h"

namespace listingparser {

namespace {

constexpr int64_t kMsecsPerDay = 86'400'000;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
int64_t daysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// The year of a day counted from 1970-01-01 (the inverse of daysFromCivil, year part only).
int64_t yearOfDay(int64_t z)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    return yoe + era * 400 + (mp >= 10 ? 1 : 0);
}

int64_t floorDiv(int64_t a, int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

int64_t msecsOf(int year, const CivilTime& t)
{
    return daysFromCivil(year, t.month, t.day) * kMsecsPerDay +
           ((t.hour * 60LL + t.minute) * 60 + t.second) * 1000 + t.millisecond;
}

bool isValidDate(int year, int month, int day)
{
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1])
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month != 2 || day <= 28 || leap;
}

} // namespace

int64_t Clock::msecs() const
{
    if (!m_msecs) {
        if (m_given && m_given->isValid()) {
            m_msecs = m_given->toMSecsSinceEpoch();
        } else {
            // The coarse clock (a few milliseconds' resolution) is plenty for a window of
            // months, and cheap enough to read once per listing line.
            timespec ts{};
            clock_gettime(CLOCK_REALTIME_COARSE, &ts);
            m_msecs = int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1'000'000;
        }
        // Years 1 to 9999 only: keeps the date arithmetic far from overflowing.
        m_msecs = std::clamp<int64_t>(*m_msecs, -62'135'596'800'000, 253'402'300'799'999);
    }
    return *m_msecs;
}

std::optional<int64_t> utcMsecs(const CivilTime& t, const Clock& clock)
{
    if (t.hour < 0 || t.hour > 24 || t.minute < 0 || t.minute > 59 || t.second < 0 ||
        t.second > 60 || t.millisecond < 0 || t.millisecond > 999)
        return std::nullopt;
    if (t.year != 0)
        return isValidDate(t.year, t.month, t.day) ? std::optional(msecsOf(t.year, t))
                                                   : std::nullopt;

    // No year: the latest year that keeps the date inside the window. Eight years back always
    // reach a leap year for "Feb 29"; a date that is no date in any year gives none.
    const int64_t now = clock.msecs();
    const int64_t limit = now + kFutureWindowDays * kMsecsPerDay;
    const int64_t nowYear = yearOfDay(floorDiv(now, kMsecsPerDay));
    for (int64_t year = nowYear + 1; year >= nowYear - 8; --year) {
        if (!isValidDate(static_cast<int>(year), t.month, t.day))
            continue;
        const int64_t msecs = msecsOf(static_cast<int>(year), t);
        if (msecs <= limit)
            return msecs;
    }
    return std::nullopt;
}

bool allDigits(std::string_view s)
{
    if (s.empty())
        return false;
    for (const char c : s) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

bool equalsNoCase(std::string_view s, std::string_view lowerWord)
{
    return s.size() == lowerWord.size() && startsWithNoCase(s, lowerWord);
}

bool startsWithNoCase(std::string_view s, std::string_view lowerWord)
{
    if (s.size() < lowerWord.size())
        return false;
    for (size_t i = 0; i < lowerWord.size(); ++i) {
        if (toLower(s[i]) != lowerWord[i])
            return false;
    }
    return true;
}

bool parseCount(std::string_view s, std::optional<int64_t>& value, bool allowCommas)
{
    value.reset();
    if (s.empty() || !isDigit(s.front()) || !isDigit(s.back()))
        return false;
    uint64_t n = 0;
    // Up to 18 digits always fit: no overflow test per digit on the common path.
    if (s.size() <= 18) {
        for (const char c : s) {
            if (isDigit(c))
                n = n * 10 + static_cast<uint64_t>(c - '0');
            else if (c != ',' || !allowCommas)
                return false;
        }
        value = static_cast<int64_t>(n);
        return true;
    }
    constexpr uint64_t kMax = std::numeric_limits<int64_t>::max();
    bool fits = true;
    for (const char c : s) {
        if (c == ',' && allowCommas)
            continue;
        if (!isDigit(c))
            return false;
        const auto digit = static_cast<uint64_t>(c - '0');
        if (n > (kMax - digit) / 10)
            fits = false;
        else if (fits)
            n = n * 10 + digit;
    }
    if (fits)
        value = static_cast<int64_t>(n);
    return true;
}

int parseSmall(std::string_view s, size_t maxDigits)
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

namespace {

struct MonthName
{
    std::string_view name; // lower case where ASCII
    int month;
};

// Month names as ls and servers print them in many languages, abbreviated and in full: English,
// German, French, Spanish, Italian, Dutch, Swedish, Norwegian, Danish, Finnish, Polish, Czech,
// Hungarian in UTF-8, and Russian in UTF-8, KOI8-R and CP1251 (lower case and capitalized).
// Sorted by length, then bytes, for a binary search.
constexpr MonthName kMonthNames[] = {
    {"abr", 4},
    {"ago", 8},
    {"apr", 4},
    {"aug", 8},
    {"avr", 4},
    {"cze", 6},
    {"dec", 12},
    {"des", 12},
    {"dez", 12},
    {"dic", 12},
    {"dub", 4},
    {"elo", 8},
    {"ene", 1},
    {"feb", 2},
    {"gen", 1},
    {"giu", 6},
    {"gru", 12},
    {"jan", 1},
    {"jul", 7},
    {"jun", 6},
    {"kwi", 4},
    {"led", 1},
    {"lip", 7},
    {"lis", 11},
    {"lug", 7},
    {"lut", 2},
    {"mag", 5},
    {"mai", 5},
    {"maj", 5},
    {"mar", 3},
    {"may", 5},
    {"mei", 5},
    {"mrt", 3},
    {"mrz", 3},
    {"nov", 11},
    {"oct", 10},
    {"okt", 10},
    {"ott", 10},
    {"pro", 12},
    {"sep", 9},
    {"set", 9},
    {"sie", 8},
    {"srp", 8},
    {"sty", 1},
    {"wrz", 9},
    {"\300\342\343", 8},
    {"\300\357\360", 4},
    {"\301\320\322", 4},
    {"\301\327\307", 8},
    {"\304\305\313", 12},
    {"\304\345\352", 12},
    {"\306\305\327", 2},
    {"\310\376\353", 7},
    {"\310\376\355", 6},
    {"\311\300\314", 7},
    {"\311\300\316", 6},
    {"\314\340\351", 5},
    {"\314\340\360", 3},
    {"\314\340\377", 5},
    {"\315\301\312", 5},
    {"\315\301\321", 5},
    {"\315\301\322", 3},
    {"\315\356\377", 11},
    {"\316\317\321", 11},
    {"\316\352\362", 10},
    {"\317\313\324", 10},
    {"\321\316\327", 1},
    {"\321\345\355", 9},
    {"\323\305\316", 9},
    {"\324\345\342", 2},
    {"\337\355\342", 1},
    {"\340\342\343", 8},
    {"\340\357\360", 4},
    {"\341\320\322", 4},
    {"\341\327\307", 8},
    {"\344\305\313", 12},
    {"\344\345\352", 12},
    {"\346\305\327", 2},
    {"\350\376\353", 7},
    {"\350\376\355", 6},
    {"\351\300\314", 7},
    {"\351\300\316", 6},
    {"\354\340\351", 5},
    {"\354\340\360", 3},
    {"\354\340\377", 5},
    {"\355\301\312", 5},
    {"\355\301\321", 5},
    {"\355\301\322", 3},
    {"\355\356\377", 11},
    {"\356\317\321", 11},
    {"\356\352\362", 10},
    {"\357\313\324", 10},
    {"\361\316\327", 1},
    {"\361\345\355", 9},
    {"\363\305\316", 9},
    {"\364\345\342", 2},
    {"\377\355\342", 1},
    {"b\305\231e", 3},
    {"d\303\251c", 12},
    {"elok", 8},
    {"febr", 2},
    {"f\303\251v", 2},
    {"janv", 1},
    {"juil", 7},
    {"juin", 6},
    {"juli", 7},
    {"juni", 6},
    {"j\303\272l", 7},
    {"j\303\272n", 6},
    {"kv\304\233", 5},
    {"loka", 10},
    {"mars", 3},
    {"mart", 3},
    {"mayo", 5},
    {"m\303\241j", 5},
    {"m\303\244r", 3},
    {"pa\305\272", 10},
    {"sept", 9},
    {"syys", 9},
    {"\303\241pr", 4},
    {"\303\272no", 2},
    {"\304\215vc", 7},
    {"\304\215vn", 6},
    {"\306\305\327\322", 2},
    {"\310\376\353\374", 7},
    {"\310\376\353\377", 7},
    {"\310\376\355\374", 6},
    {"\310\376\355\377", 6},
    {"\311\300\314\321", 7},
    {"\311\300\314\330", 7},
    {"\311\300\316\321", 6},
    {"\311\300\316\330", 6},
    {"\314\340\360\362", 3},
    {"\315\301\322\324", 3},
    {"\315\356\377\341", 11},
    {"\316\317\321\302", 11},
    {"\321\345\355\362", 9},
    {"\323\305\316\324", 9},
    {"\324\345\342\360", 2},
    {"\346\305\327\322", 2},
    {"\350\376\353\374", 7},
    {"\350\376\353\377", 7},
    {"\350\376\355\374", 6},
    {"\350\376\355\377", 6},
    {"\351\300\314\321", 7},
    {"\351\300\314\330", 7},
    {"\351\300\316\321", 6},
    {"\351\300\316\330", 6},
    {"\354\340\360\362", 3},
    {"\355\301\322\324", 3},
    {"\355\356\377\341", 11},
    {"\356\317\321\302", 11},
    {"\361\345\355\362", 9},
    {"\363\305\316\324", 9},
    {"\364\345\342\360", 2},
    {"abril", 4},
    {"ao\303\273t", 8},
    {"april", 4},
    {"avril", 4},
    {"enero", 1},
    {"f\303\251vr", 2},
    {"helmi", 2},
    {"huhti", 4},
    {"joulu", 12},
    {"julio", 7},
    {"junio", 6},
    {"kes\303\244", 6},
    {"lokak", 10},
    {"maart", 3},
    {"marzo", 3},
    {"m\303\241rc", 3},
    {"m\303\244rz", 3},
    {"syysk", 9},
    {"szept", 9},
    {"tammi", 1},
    {"touko", 5},
    {"z\303\241\305\231", 9},
    {"\305\231\303\255j", 10},
    {"\314\340\360\362\340", 3},
    {"\315\301\322\324\301", 3},
    {"\354\340\360\362\340", 3},
    {"\355\301\322\324\301", 3},
    {"agosto", 8},
    {"aprile", 4},
    {"giugno", 6},
    {"hein\303\244", 7},
    {"helmik", 2},
    {"huhtik", 4},
    {"januar", 1},
    {"jouluk", 12},
    {"kes\303\244k", 6},
    {"luglio", 7},
    {"maalis", 3},
    {"maggio", 5},
    {"marras", 11},
    {"m\303\241jus", 5},
    {"tammik", 1},
    {"toukok", 5},
    {"\300\357\360\345\353\377", 4},
    {"\301\320\322\305\314\321", 4},
    {"\315\356\377\341\360\377", 11},
    {"\316\317\321\302\322\321", 11},
    {"\320\220\320\262\320\263", 8},
    {"\320\220\320\277\321\200", 4},
    {"\320\224\320\265\320\272", 12},
    {"\320\230\321\216\320\273", 7},
    {"\320\230\321\216\320\275", 6},
    {"\320\234\320\260\320\271", 5},
    {"\320\234\320\260\321\200", 3},
    {"\320\234\320\260\321\217", 5},
    {"\320\235\320\276\321\217", 11},
    {"\320\236\320\272\321\202", 10},
    {"\320\241\320\265\320\275", 9},
    {"\320\244\320\265\320\262", 2},
    {"\320\257\320\275\320\262", 1},
    {"\320\260\320\262\320\263", 8},
    {"\320\260\320\277\321\200", 4},
    {"\320\264\320\265\320\272", 12},
    {"\320\270\321\216\320\273", 7},
    {"\320\270\321\216\320\275", 6},
    {"\320\274\320\260\320\271", 5},
    {"\320\274\320\260\321\200", 3},
    {"\320\274\320\260\321\217", 5},
    {"\320\275\320\276\321\217", 11},
    {"\320\276\320\272\321\202", 10},
    {"\321\201\320\265\320\275", 9},
    {"\321\204\320\265\320\262", 2},
    {"\321\217\320\275\320\262", 1},
    {"\321\316\327\301\322\321", 1},
    {"\321\316\327\301\322\330", 1},
    {"\337\355\342\340\360\374", 1},
    {"\337\355\342\340\360\377", 1},
    {"\340\357\360\345\353\377", 4},
    {"\341\320\322\305\314\321", 4},
    {"\355\356\377\341\360\377", 11},
    {"\356\317\321\302\322\321", 11},
    {"\361\316\327\301\322\321", 1},
    {"\361\316\327\301\322\330", 1},
    {"\377\355\342\340\360\374", 1},
    {"\377\355\342\340\360\377", 1},
    {"augusti", 8},
    {"febrero", 2},
    {"februar", 2},
    {"gennaio", 1},
    {"hein\303\244k", 7},
    {"januari", 1},
    {"janu\303\241r", 1},
    {"janvier", 1},
    {"juillet", 7},
    {"j\303\272lius", 7},
    {"j\303\272nius", 6},
    {"maalisk", 3},
    {"marrask", 11},
    {"octobre", 10},
    {"octubre", 10},
    {"oktober", 10},
    {"ottobre", 10},
    {"\300\342\343\363\361\362\340", 8},
    {"\301\327\307\325\323\324\301", 8},
    {"\304\305\313\301\302\322\321", 12},
    {"\304\345\352\340\341\360\377", 12},
    {"\306\305\327\322\301\314\321", 2},
    {"\316\352\362\377\341\360\377", 10},
    {"\317\313\324\321\302\322\321", 10},
    {"\324\345\342\360\340\353\377", 2},
    {"\340\342\343\363\361\362\340", 8},
    {"\341\327\307\325\323\324\301", 8},
    {"\344\305\313\301\302\322\321", 12},
    {"\344\345\352\340\341\360\377", 12},
    {"\346\305\327\322\301\314\321", 2},
    {"\356\352\362\377\341\360\377", 10},
    {"\357\313\324\321\302\322\321", 10},
    {"\364\345\342\360\340\353\377", 2},
    {"december", 12},
    {"desember", 12},
    {"dezember", 12},
    {"dicembre", 12},
    {"febbraio", 2},
    {"februari", 2},
    {"febru\303\241r", 2},
    {"f\303\251vrier", 2},
    {"m\303\241rcius", 3},
    {"november", 11},
    {"novembre", 11},
    {"okt\303\263ber", 10},
    {"tammikuu", 1},
    {"\303\241prilis", 4},
    {"\320\230\321\216\320\273\321\214", 7},
    {"\320\230\321\216\320\273\321\217", 7},
    {"\320\230\321\216\320\275\321\214", 6},
    {"\320\230\321\216\320\275\321\217", 6},
    {"\320\234\320\260\321\200\321\202", 3},
    {"\320\235\320\276\321\217\320\261", 11},
    {"\320\241\320\265\320\275\321\202", 9},
    {"\320\244\320\265\320\262\321\200", 2},
    {"\320\270\321\216\320\273\321\214", 7},
    {"\320\270\321\216\320\273\321\217", 7},
    {"\320\270\321\216\320\275\321\214", 6},
    {"\320\270\321\216\320\275\321\217", 6},
    {"\320\274\320\260\321\200\321\202", 3},
    {"\320\275\320\276\321\217\320\261", 11},
    {"\321\201\320\265\320\275\321\202", 9},
    {"\321\204\320\265\320\262\321\200", 2},
    {"\321\345\355\362\377\341\360\377", 9},
    {"\323\305\316\324\321\302\322\321", 9},
    {"\361\345\355\362\377\341\360\377", 9},
    {"\363\305\316\324\321\302\322\321", 9},
    {"augusztus", 8},
    {"diciembre", 12},
    {"d\303\251cembre", 12},
    {"noviembre", 11},
    {"septembre", 9},
    {"settembre", 9},
    {"septiembre", 9},
    {"szeptember", 9},
    {"\320\234\320\260\321\200\321\202\320\260", 3},
    {"\320\274\320\260\321\200\321\202\320\260", 3},
    {"\320\220\320\277\321\200\320\265\320\273\321\217", 4},
    {"\320\235\320\276\321\217\320\261\321\200\321\217", 11},
    {"\320\257\320\275\320\262\320\260\321\200\321\214", 1},
    {"\320\257\320\275\320\262\320\260\321\200\321\217", 1},
    {"\320\260\320\277\321\200\320\265\320\273\321\217", 4},
    {"\320\275\320\276\321\217\320\261\321\200\321\217", 11},
    {"\321\217\320\275\320\262\320\260\321\200\321\214", 1},
    {"\321\217\320\275\320\262\320\260\321\200\321\217", 1},
    {"\320\220\320\262\320\263\321\203\321\201\321\202\320\260", 8},
    {"\320\224\320\265\320\272\320\260\320\261\321\200\321\217", 12},
    {"\320\236\320\272\321\202\321\217\320\261\321\200\321\217", 10},
    {"\320\244\320\265\320\262\321\200\320\260\320\273\321\217", 2},
    {"\320\260\320\262\320\263\321\203\321\201\321\202\320\260", 8},
    {"\320\264\320\265\320\272\320\260\320\261\321\200\321\217", 12},
    {"\320\276\320\272\321\202\321\217\320\261\321\200\321\217", 10},
    {"\321\204\320\265\320\262\321\200\320\260\320\273\321\217", 2},
    {"\320\241\320\265\320\275\321\202\321\217\320\261\321\200\321\217", 9},
    {"\321\201\320\265\320\275\321\202\321\217\320\261\321\200\321\217", 9},
};

constexpr bool byLengthThenBytes(std::string_view a, std::string_view b)
{
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

} // namespace

int monthFromName(std::string_view s)
{
    // A dot, a comma or both may follow an abbreviation ("déc.", "März,", "Jan.,").
    if (!s.empty() && s.back() == ',')
        s.remove_suffix(1);
    if (!s.empty() && s.back() == '.')
        s.remove_suffix(1);
    char lower[16];
    if (s.size() < 3 || s.size() > sizeof lower)
        return 0;
    // Most servers print English: those without the table.
    if (s.size() == 3) {
        const auto key = [](char a, char b, char c) { return (a << 16) | (b << 8) | c; };
        switch (key(toLower(s[0]), toLower(s[1]), toLower(s[2]))) {
        case key('j', 'a', 'n'):
            return 1;
        case key('f', 'e', 'b'):
            return 2;
        case key('m', 'a', 'r'):
            return 3;
        case key('a', 'p', 'r'):
            return 4;
        case key('m', 'a', 'y'):
            return 5;
        case key('j', 'u', 'n'):
            return 6;
        case key('j', 'u', 'l'):
            return 7;
        case key('a', 'u', 'g'):
            return 8;
        case key('s', 'e', 'p'):
            return 9;
        case key('o', 'c', 't'):
            return 10;
        case key('n', 'o', 'v'):
            return 11;
        case key('d', 'e', 'c'):
            return 12;
        default:
            break;
        }
    }
    for (size_t i = 0; i < s.size(); ++i)
        lower[i] = toLower(s[i]);
    const std::string_view key(lower, s.size());
    const auto* found = std::lower_bound(
        std::begin(kMonthNames), std::end(kMonthNames), key,
        [](const MonthName& m, std::string_view k) { return byLengthThenBytes(m.name, k); });
    return found != std::end(kMonthNames) && found->name == key ? found->month : 0;
}

bool parseClock(std::string_view s, CivilTime& t, bool* hadFraction)
{
    const size_t colon = s.find(':');
    if (colon == std::string_view::npos)
        return false;
    const int hour = parseSmall(s.substr(0, colon), 2);
    std::string_view rest = s.substr(colon + 1);
    const int minute = parseSmall(rest.substr(0, 2), 2);
    // "24:00" is the end of a day, as some servers print midnight.
    if (hour < 0 || hour > 24 || minute < 0 || minute > 59 || rest.size() < 2 ||
        (hour == 24 && (minute != 0 || rest.size() > 2)))
        return false;
    rest.remove_prefix(2);
    int second = 0;
    int millisecond = 0;
    bool fraction = false;
    if (!rest.empty()) {
        second = parseSmall(rest.substr(1, 2), 2);
        if (rest[0] != ':' || rest.size() < 3 || second < 0 || second > 60)
            return false;
        rest.remove_prefix(3);
        if (!rest.empty()) {
            if (rest[0] != '.' || rest.size() < 2 || !allDigits(rest.substr(1)))
                return false;
            fraction = true;
            const std::string_view digits = rest.substr(1, 3);
            millisecond = parseSmall(digits, 3);
            for (size_t i = digits.size(); i < 3; ++i)
                millisecond *= 10;
        }
    }
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    t.millisecond = millisecond;
    if (hadFraction)
        *hadFraction = fraction;
    return true;
}

int fullYear(int year, size_t digits)
{
    if (digits > 2)
        return year;
    return year < 70 ? 2000 + year : 1900 + year;
}

} // namespace listingparser
