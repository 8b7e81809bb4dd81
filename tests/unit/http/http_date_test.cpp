#include "http/http_date.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <utility>

namespace {

const std::pair<std::int64_t, const char*> kKnownDates[] = {
    {0, "Thu, 01 Jan 1970 00:00:00 GMT"},           {-1, "Wed, 31 Dec 1969 23:59:59 GMT"},
    {784111777, "Sun, 06 Nov 1994 08:49:37 GMT"},   {951782400, "Tue, 29 Feb 2000 00:00:00 GMT"},
    {951868800, "Wed, 01 Mar 2000 00:00:00 GMT"},   {2147483648, "Tue, 19 Jan 2038 03:14:08 GMT"},
    {4107542399, "Sun, 28 Feb 2100 23:59:59 GMT"},  {4107542400, "Mon, 01 Mar 2100 00:00:00 GMT"},
    {-2203891201, "Wed, 28 Feb 1900 23:59:59 GMT"}, {253402300799, "Fri, 31 Dec 9999 23:59:59 GMT"},
};

TEST(HttpDateTest, KnownTimesBothWays) {
    for (const auto& [seconds, text] : kKnownDates) {
        EXPECT_EQ(FormatHttpDate(seconds), text);
        std::int64_t parsed = 12345;
        EXPECT_TRUE(ParseHttpDate(text, parsed) && parsed == seconds) << text;
    }
    EXPECT_EQ(FormatHttpDate(253402300800), "");  // year 10000 does not fit
}

TEST(HttpDateTest, RoundTripsAcrossCenturies) {
    // Not a whole number of days, so every time of day and weekday comes up.
    for (std::int64_t t = -2208988800; t < 7258118400; t += 86400 * 97 + 3671) {
        std::int64_t back = 0;
        ASSERT_TRUE(ParseHttpDate(FormatHttpDate(t), back) && back == t) << FormatHttpDate(t);
    }
}

TEST(HttpDateTest, ParsingCarriesOverAndRejectsOtherShapes) {
    std::int64_t seconds = 0;
    EXPECT_TRUE(ParseHttpDate("Xyz, 32 Jan 2001 24:00:00 GMT", seconds));
    EXPECT_EQ(seconds, 980985600 + 86400);  // 2 Feb 2001
    for (const char* text :
         {"Sun, 06 nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT",
          "Sun Nov  6 08:49:37 1994", "Sun, 06 Nov 1994 08:49:37 UTC", "Sun, 06 Nov 1994", ""}) {
        seconds = 77;
        EXPECT_FALSE(ParseHttpDate(text, seconds)) << text;
        EXPECT_EQ(seconds, 77) << text;
    }
}

TEST(HttpDateTest, CurrentDateIsMonthDayYearInUtc) {
    EXPECT_EQ(FormatCurrentDate(1078660800), "03/07/2004");
    EXPECT_EQ(FormatCurrentDate(-1), "12/31/1969");
    const std::int64_t before = static_cast<std::int64_t>(std::time(nullptr));
    const std::string today = CurrentDate();
    const std::int64_t after = static_cast<std::int64_t>(std::time(nullptr));
    EXPECT_TRUE(today == FormatCurrentDate(before) || today == FormatCurrentDate(after)) << today;
}

}  // namespace
