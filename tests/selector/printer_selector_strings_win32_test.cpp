// The selector's string table as the resource compiler built it into this test: the same
// texts as the table generated from the .rc, so the escapes mean the same to both readers.

#include <gtest/gtest.h>

#include <string>

#include "platform/program_strings.h"
#include "selector/selector_string_ids.h"

namespace {

// Run with LC_ALL=C: the resource loader then picks the English table.
TEST(PrinterSelectorStringsWin32, CompiledTextsAreTheGeneratedOnes) {
    int compared = 0;
    for (std::size_t i = 0; i < platform::kProgramStringCount; ++i) {
        const platform::ProgramString& entry = platform::kProgramStrings[i];
        if (std::string(entry.language) != "en") continue;
        EXPECT_EQ(platform::LoadProgramString(entry.id, selector_text::kLongestText), entry.text)
            << entry.id;
        ++compared;
    }
    EXPECT_EQ(compared, 19);
}

}  // namespace
