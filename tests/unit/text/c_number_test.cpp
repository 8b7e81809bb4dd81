#include "text/c_number.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>

namespace {

struct Case {
    std::string text;
    int value;
};

void PrintTo(const Case& c, std::ostream* out) { *out << '"' << c.text << "\" -> " << c.value; }

class CNumberTest : public ::testing::TestWithParam<Case> {};

TEST_P(CNumberTest, ReadsLikeStrtolClampedToInt) {
    EXPECT_EQ(ParseCNumber(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CNumberTest,
    ::testing::Values(Case{"42", 42}, Case{"007", 7}, Case{"0", 0}, Case{"-0", 0},
                      Case{" \t\n\v\f\r17", 17}, Case{"+8", 8}, Case{"-5", -5}, Case{"12abc", 12},
                      Case{"3.9", 3}, Case{"1e3", 1}, Case{"0x10", 0}, Case{"30 40", 30},
                      Case{"", 0}, Case{"abc", 0}, Case{"-", 0}, Case{"+-3", 0}, Case{"- 3", 0},
                      Case{std::string(1, '\xA0') + "5", 0}, Case{std::string{'9', '\0', '9'}, 9},
                      Case{"2147483647", INT_MAX}, Case{"2147483648", INT_MAX},
                      Case{"-2147483648", INT_MIN}, Case{"-2147483649", INT_MIN},
                      Case{"99999999999999999999999999", INT_MAX},
                      Case{"-99999999999999999999999999", INT_MIN}));

}  // namespace
