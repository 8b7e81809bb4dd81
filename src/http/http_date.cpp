#include "http/http_date.h"

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::int64_t kSecondsPerDay = 86400;

struct CivilTime {
    std::int64_t year;
    int month;  // 1-12
    int day;    // 1-31
    int hour, minute, second;
    int weekday;  // 0 is Sunday
};

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

// Days since 1970-01-01 of a proleptic Gregorian date, month 1-12; the day may lie outside
// the month and carries over.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = FloorDiv(year, 400);
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

CivilTime CivilFromSeconds(std::int64_t seconds) {
    const std::int64_t days = FloorDiv(seconds, kSecondsPerDay);
    const std::int64_t secondOfDay = seconds - days * kSecondsPerDay;
    const std::int64_t shifted = days + 719468;
    const std::int64_t era = FloorDiv(shifted, 146097);
    const std::int64_t dayOfEra = shifted - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;  // 0 is March

    CivilTime t{};
    t.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    t.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    t.year = yearOfEra + era * 400 + (t.month <= 2 ? 1 : 0);
    t.hour = static_cast<int>(secondOfDay / 3600);
    t.minute = static_cast<int>(secondOfDay / 60 % 60);
    t.second = static_cast<int>(secondOfDay % 60);
    t.weekday = static_cast<int>(((days + 4) % 7 + 7) % 7);  // 1970-01-01 was a Thursday
    return t;
}

// Seconds beyond which the year arithmetic above could overflow; far outside any date the
// formats can hold.
constexpr std::int64_t kSecondsLimit = std::int64_t{1} << 52;

}  // namespace

std::string FormatHttpDate(std::int64_t secondsSinceEpoch) {
    if (secondsSinceEpoch > kSecondsLimit || secondsSinceEpoch < -kSecondsLimit) return {};
    const CivilTime t = CivilFromSeconds(secondsSinceEpoch);
    if (t.year < 0 || t.year > 9999) return {};
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kWeekdays[t.weekday],
                  t.day, kMonths[t.month - 1], static_cast<int>(t.year), t.hour, t.minute,
                  t.second);
    return text;
}

bool ParseHttpDate(const std::string& text, std::int64_t& secondsSinceEpoch) {
    char weekday[4] = {};
    char monthName[4] = {};
    int day = 0, year = 0, hour = 0, minute = 0, second = 0;
    int consumed = -1;
    const int fields = std::sscanf(text.c_str(), "%3s, %2d %3s %4d %2d:%2d:%2d GMT%n", weekday,
                                   &day, monthName, &year, &hour, &minute, &second, &consumed);
    // %n is only reached when the closing "GMT" matched too.
    if (fields != 7 || consumed < 0) return false;
    int month = 0;
    while (month < 12 && std::strcmp(kMonths[month], monthName) != 0) ++month;
    if (month == 12) return false;
    secondsSinceEpoch = (DaysFromCivil(year, month + 1, 1) + (day - 1)) * kSecondsPerDay +
                        std::int64_t{hour} * 3600 + std::int64_t{minute} * 60 + second;
    return true;
}

std::string FormatCurrentDate(std::int64_t secondsSinceEpoch) {
    if (secondsSinceEpoch > kSecondsLimit || secondsSinceEpoch < -kSecondsLimit) return {};
    const CivilTime t = CivilFromSeconds(secondsSinceEpoch);
    char text[64];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", t.month, t.day, static_cast<int>(t.year));
    return text;
}

std::string CurrentDate() {
    return FormatCurrentDate(static_cast<std::int64_t>(std::time(nullptr)));
}
