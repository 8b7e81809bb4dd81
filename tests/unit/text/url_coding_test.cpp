#include "text/url_coding.h"

#include <gtest/gtest.h>

#include <string>

TEST(UrlCodingTest, Decode) {
    EXPECT_EQ(UrlDecode("a+b%21%41%e9%E9%2B%25/"), "a b!A\xe9\xe9+%/");
    // Two bytes are skipped whatever they are; hex digits are read while there are any.
    EXPECT_EQ(UrlDecode("%4z!%zz"), std::string("\x04!\0", 3));
    EXPECT_EQ(UrlDecode("ab%4"), "ab\x04");
    EXPECT_EQ(UrlDecode("ab%"), std::string("ab\0", 3));
}

TEST(UrlCodingTest, EncodeAndRoundTripEveryByte) {
    EXPECT_EQ(UrlEncode("a b/\xe9"), "a+b%2f%e9");
    EXPECT_EQ(UrlEncode(std::string("Az09-_.~+\0", 10)), "Az09%2d%5f%2e%7e%2b%00");
    std::string all;
    for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
    EXPECT_EQ(UrlDecode(UrlEncode(all)), all);
}
