// The POSIX string table: the language the locale variables choose, the fall-back to English
// and truncation at character boundaries.

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/program_strings.h"
#include "program_string_truncation.h"

namespace {

const platform::ProgramString kTable[] = {
    {"en", 1, "one"},
    {"de", 1, "eins"},
    {"fr", 1, "un"},
    {"it", 1, "uno"},
    {"es-ES", 1, "uno (moderno)"},
    {"es-ES_tradnl", 1, "uno (tradicional)"},
    {"es-MX", 1, "uno (MX)"},
    {"pt-BR", 1, "um"},
    {"ja", 1, "一つ"},
    {"ko", 1, "하나"},
    {"zh-CN", 1, "一 (简体)"},
    {"zh-TW", 1, "一 (繁體)"},
    {"en", 2, "English only"},
    {"de", 3, "nur Deutsch"},
    // Six units, then a character of two UTF-16 units, then three more.
    {"en", 4, kTruncatedText},
};

const char* const kVariables[] = {"LC_ALL", "LC_MESSAGES", "LANG"};

/// Each test starts with no locale variable set and the table above; the variables of the
/// process are put back afterwards.
class ProgramStringsPosix : public ::testing::Test {
protected:
    void SetUp() override {
        for (std::size_t i = 0; i < 3; ++i) {
            const char* value = std::getenv(kVariables[i]);
            if (value != nullptr) saved_[i] = value;
            unsetenv(kVariables[i]);
        }
        platform::UseProgramStrings(kTable, sizeof kTable / sizeof kTable[0]);
    }

    void TearDown() override {
        for (std::size_t i = 0; i < 3; ++i) {
            if (saved_[i]) {
                setenv(kVariables[i], saved_[i]->c_str(), 1);
            } else {
                unsetenv(kVariables[i]);
            }
        }
    }

    /// Sets LC_ALL, LC_MESSAGES and LANG; nullptr leaves one unset.
    static void SetLocale(const char* lcAll, const char* lcMessages, const char* lang) {
        const char* values[] = {lcAll, lcMessages, lang};
        for (std::size_t i = 0; i < 3; ++i) {
            if (values[i] == nullptr) {
                unsetenv(kVariables[i]);
            } else {
                setenv(kVariables[i], values[i], 1);
            }
        }
    }

private:
    std::optional<std::string> saved_[3];
};

TEST_F(ProgramStringsPosix, LangChoosesTheTable) {
    struct Case {
        const char* lang;
        const char* expected;
    };
    const Case cases[] = {
        {"de_DE.UTF-8", "eins"},
        {"de_AT", "eins"},
        {"de_DE@euro", "eins"},
        {"fr_FR.UTF-8", "un"},
        {"fr_CA.UTF-8", "un"},
        {"it_IT.UTF-8", "uno"},
        {"es_ES.UTF-8", "uno (moderno)"},
        {"es_AR.UTF-8", "uno (moderno)"},
        {"es", "uno (moderno)"},
        {"es_MX.UTF-8", "uno (MX)"},
        {"pt_BR.UTF-8", "um"},
        {"pt_PT.UTF-8", "um"},
        {"ja_JP.UTF-8", "一つ"},
        {"ko_KR.UTF-8", "하나"},
        {"zh_CN.UTF-8", "一 (简体)"},
        {"zh_SG.UTF-8", "一 (简体)"},
        {"zh", "一 (简体)"},
        {"zh_TW.UTF-8", "一 (繁體)"},
        {"zh_HK.UTF-8", "一 (繁體)"},
        {"en_GB.UTF-8", "one"},
        {"nl_NL.UTF-8", "one"},
        {"C", "one"},
        {"C.UTF-8", "one"},
        {"POSIX", "one"},
        {"", "one"},
        {"deu", "one"},
    };
    for (const Case& c : cases) {
        SetLocale(nullptr, nullptr, c.lang);
        EXPECT_EQ(platform::LoadProgramString(1), c.expected) << "LANG=" << c.lang;
    }
    SetLocale(nullptr, nullptr, nullptr);
    EXPECT_EQ(platform::LoadProgramString(1), "one") << "no locale variable";
}

TEST_F(ProgramStringsPosix, FirstNonEmptyOfLcAllLcMessagesLangWins) {
    struct Case {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        const char* expected;
    };
    const Case cases[] = {
        {"fr_FR.UTF-8", "de_DE.UTF-8", "it_IT.UTF-8", "un"},
        {"", "de_DE.UTF-8", "it_IT.UTF-8", "eins"},
        {nullptr, "de_DE.UTF-8", "it_IT.UTF-8", "eins"},
        {"", "", "it_IT.UTF-8", "uno"},
        {nullptr, "", "ja_JP.UTF-8", "一つ"},
        {"C", "de_DE.UTF-8", "it_IT.UTF-8", "one"},
        {nullptr, "POSIX", "it_IT.UTF-8", "one"},
    };
    for (const Case& c : cases) {
        SetLocale(c.lcAll, c.lcMessages, c.lang);
        EXPECT_EQ(platform::LoadProgramString(1), c.expected)
            << "LC_ALL=" << (c.lcAll ? c.lcAll : "(unset)")
            << " LC_MESSAGES=" << (c.lcMessages ? c.lcMessages : "(unset)") << " LANG=" << c.lang;
    }
}

TEST_F(ProgramStringsPosix, MissingStringFallsBackToEnglishThenToEmpty) {
    struct Case {
        const char* lang;
        unsigned id;
        const char* expected;
    };
    const Case cases[] = {
        {"de_DE.UTF-8", 2, "English only"},
        {"ja_JP.UTF-8", 2, "English only"},
        {"de_DE.UTF-8", 3, "nur Deutsch"},
        {"fr_FR.UTF-8", 3, ""},
        {"C", 3, ""},
        {"de_DE.UTF-8", 99, ""},
    };
    for (const Case& c : cases) {
        SetLocale(nullptr, nullptr, c.lang);
        EXPECT_EQ(platform::LoadProgramString(c.id), c.expected)
            << "LANG=" << c.lang << " id " << c.id;
    }
    platform::UseProgramStrings(nullptr, 0);
    EXPECT_EQ(platform::LoadProgramString(1), "") << "a program without a table";
}

TEST_F(ProgramStringsPosix, TruncatesToTheBufferInUtf16UnitsAtCharacterBoundaries) {
    for (const TruncationCase& c : kTruncationCases) {
        EXPECT_EQ(platform::LoadProgramString(4, c.maxCharacters), c.expected)
            << "maxCharacters " << c.maxCharacters;
    }
}

}  // namespace
