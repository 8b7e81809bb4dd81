// ASCII case: letters only, every other byte (bytes above 127 included) left alone.

#include "text/ascii_case.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(AsciiCase, ChangesOnlyAsciiLetters) {
    const std::string mixed = std::string("aZ09@[`{\x80\xc4\xe4", 11);
    EXPECT_EQ(ToLowerAscii(mixed), std::string("az09@[`{\x80\xc4\xe4", 11));
    EXPECT_EQ(ToUpperAscii(mixed), std::string("AZ09@[`{\x80\xc4\xe4", 11));
}

TEST(AsciiCase, ComparesWithoutCase) {
    struct Case {
        const char* text;
        const char* other;
        bool startsWith;
        bool equals;
    };
    const std::vector<Case> cases = {
        {"HKEY_LOCAL_MACHINE\\Software", "hkey_local_machine", true, false},
        {"hkey_local_machine", "HKEY_LOCAL_MACHINE", true, true},
        {"HKEY", "HKEY_LOCAL_MACHINE", false, false},
        {"", "", true, true},
        {"[x", "{X", false, false},
        {"\xc4pfel", "\xe4PFEL", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StartsWithIgnoringAsciiCase(c.text, c.other), c.startsWith) << c.text;
        EXPECT_EQ(EqualsIgnoringAsciiCase(c.text, c.other), c.equals) << c.text;
    }
}

}  // namespace
