// The string table compiled into a Windows program: the resource compiler turned every text of
// resources/velkor.rc into the characters the generated table holds, LoadProgramString reads the
// language the process started in (under Wine: LANG, with its glibc locale present), and a cut
// never splits a character.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/program_strings.h"
#include "platform/wide_text_win32.h"
#include "program_string_truncation.h"

namespace {

/// RT_STRING as the wide functions take it (the header's RT_STRING follows UNICODE).
const LPCWSTR kStringType = MAKEINTRESOURCEW(6);

struct Language {
    const char* tag;
    LANGID id;
};

const Language kLanguages[] = {
    {"en", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)},
    {"de", MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)},
    {"fr", MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH)},
    {"it", MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN)},
    {"es-ES_tradnl", MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH)},
    {"es-MX", MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MEXICAN)},
    {"es-ES", MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN)},
    {"pt-BR", MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN)},
    {"ja", MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)},
    {"ko", MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN)},
    {"zh-CN", MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)},
    {"zh-TW", MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL)},
};

std::optional<LANGID> LanguageIdOf(const std::string& tag) {
    for (const Language& language : kLanguages) {
        if (tag == language.tag) return language.id;
    }
    return std::nullopt;
}

/// String `id` in `language` straight from the program's string block (LoadStringW would
/// choose the language itself).
std::optional<std::wstring> CompiledString(LANGID language, unsigned id) {
    HRSRC found = FindResourceExW(nullptr, kStringType, MAKEINTRESOURCEW(id / 16 + 1), language);
    if (found == nullptr) return std::nullopt;
    const auto* text = static_cast<const WCHAR*>(LockResource(LoadResource(nullptr, found)));
    if (text == nullptr) return std::nullopt;
    for (unsigned skipped = 0; skipped < id % 16; ++skipped) text += 1 + *text;
    return std::wstring(text + 1, *text);
}

const char* GeneratedText(const std::string& language, unsigned id) {
    for (std::size_t i = 0; i < platform::kProgramStringCount; ++i) {
        const platform::ProgramString& entry = platform::kProgramStrings[i];
        if (entry.id == id && language == entry.language) return entry.text;
    }
    return nullptr;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
    reinterpret_cast<std::vector<WORD>*>(found)->push_back(language);
    return TRUE;
}

TEST(ProgramStringsWin32, CompiledTableHoldsTheCharactersOfTheRcFile) {
    ASSERT_GT(platform::kProgramStringCount, 0u);
    for (std::size_t i = 0; i < platform::kProgramStringCount; ++i) {
        const platform::ProgramString& entry = platform::kProgramStrings[i];
        const auto language = LanguageIdOf(entry.language);
        ASSERT_TRUE(language) << entry.language;
        const auto compiled = CompiledString(*language, entry.id);
        ASSERT_TRUE(compiled) << entry.language << " " << entry.id << " is not compiled in";
        EXPECT_EQ(platform::Utf8(*compiled), entry.text) << entry.language << " " << entry.id;
    }

    std::vector<WORD> languages;
    EnumResourceLanguagesW(nullptr, kStringType, MAKEINTRESOURCEW(1), CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(languages.size(), sizeof kLanguages / sizeof kLanguages[0]);
    for (WORD language : languages) {
        bool known = false;
        for (const Language& expected : kLanguages) known = known || expected.id == language;
        EXPECT_TRUE(known) << "string block in language " << std::hex << language;
    }
}

// ctest starts this test once per language with LANG set and VELKOR_EXPECTED_LANGUAGE naming
// the table the system should pick (tests/unit/platform/CMakeLists.txt); without them, English.
TEST(ProgramStringsWin32, LoadsTheLanguageTheProcessStartedIn) {
    const char* expected = std::getenv("VELKOR_EXPECTED_LANGUAGE");
    const std::string language = expected != nullptr ? expected : "en";
    for (unsigned id : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 11u}) {
        const char* text = GeneratedText(language, id);
        ASSERT_NE(text, nullptr) << language << " " << id;
        EXPECT_EQ(platform::LoadProgramString(id, 1024), text) << language << " " << id;
    }
    EXPECT_EQ(platform::LoadProgramString(12), "") << "no such string";
}

// LoadStringW copies half of a surrogate pair that does not fit; it is dropped.
TEST(ProgramStringsWin32, TruncatesToTheBufferWithoutSplittingASurrogatePair) {
    for (const TruncationCase& c : kTruncationCases) {
        EXPECT_EQ(platform::LoadProgramString(900, c.maxCharacters), c.expected)
            << "maxCharacters " << c.maxCharacters;
    }
}

}  // namespace
