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

bool isLeapYear(int64_t year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// The years a date without one may fall in, for the day now is on: worked out again only when
// that day changes, so once per listing as a rule.
struct RecentYears
{
    static constexpr int64_t kCount = 10; // the year after now's and the nine before it
    int64_t day = std::numeric_limits<int64_t>::min();
    int64_t first = 0;
    std::array<int64_t, kCount> firstDays{}; // days since 1970-01-01 of each one's January 1
};

const RecentYears& recentYears(int64_t now)
{
    thread_local RecentYears years;
    const int64_t day = floorDiv(now, kMsecsPerDay);
    if (day != years.day) {
        years.day = day;
        years.first = yearOfDay(day) + 2 - RecentYears::kCount;
        for (int64_t i = 0; i < RecentYears::kCount; ++i)
            years.firstDays[static_cast<size_t>(i)] = daysFromCivil(years.first + i, 1, 1);
    }
    return years;
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
    return month != 2 || day <= 28 || isLeapYear(year);
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
    static constexpr int kDaysBeforeMonth[] = {0,   31,  59,  90,  120, 151,
                                               181, 212, 243, 273, 304, 334};
    const int64_t now = clock.msecs();
    const int64_t limit = now + kFutureWindowDays * kMsecsPerDay;
    const RecentYears& years = recentYears(now);
    const int64_t timeOfDay = ((t.hour * 60LL + t.minute) * 60 + t.second) * 1000 + t.millisecond;
    for (int64_t i = RecentYears::kCount - 1; i >= 0; --i) {
        const int64_t year = years.first + i;
        if (!isValidDate(static_cast<int>(year), t.month, t.day))
            continue;
        const int64_t days = years.firstDays[static_cast<size_t>(i)] +
                             kDaysBeforeMonth[t.month - 1] + (t.month > 2 && isLeapYear(year)) +
                             t.day - 1;
        const int64_t msecs = days * kMsecsPerDay + timeOfDay;
        if (msecs <= limit)
            return msecs;
    }
    return std::nullopt;
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
