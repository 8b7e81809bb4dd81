// The engine's string table as generated from resources/velkor.rc: every message in every
// language, the English word for word, and the shape the message boxes rely on.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "platform/program_strings.h"

namespace {

const char* const kLanguages[] = {"en",    "de",    "fr", "it", "es-ES", "es-ES_tradnl",
                                  "es-MX", "pt-BR", "ja", "ko", "zh-CN", "zh-TW"};
const unsigned kIds[] = {1, 2, 3, 4, 5, 6, 7, 8, 11};

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

/// True when `text` is well-formed UTF-8 (no stray or truncated sequence, no surrogate).
bool IsUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        if (lead >= 0xF0 && lead < 0xF5) {
            length = 4;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            length = 3;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            length = 2;
        } else if (lead >= 0x80) {
            return false;
        }
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        if (lead == 0xED && static_cast<unsigned char>(text[i + 1]) >= 0xA0) return false;
        i += length;
    }
    return true;
}

/// The length of `text` in UTF-16 units, as a Windows string buffer counts it.
std::size_t Utf16Units(const std::string& text) {
    std::size_t units = 0;
    for (char byte : text) {
        const auto value = static_cast<unsigned char>(byte);
        if ((value & 0xC0) != 0x80) units += value >= 0xF0 ? 2 : 1;
    }
    return units;
}

/// The generated table by language and id; a string given twice fails the test.
std::map<std::pair<std::string, unsigned>, std::string> TableByKey() {
    std::map<std::pair<std::string, unsigned>, std::string> table;
    for (std::size_t i = 0; i < platform::kProgramStringCount; ++i) {
        const platform::ProgramString& entry = platform::kProgramStrings[i];
        const bool added =
            table.emplace(std::make_pair(entry.language, entry.id), entry.text).second;
        EXPECT_TRUE(added) << entry.language << " " << entry.id << " is given twice";
    }
    return table;
}

TEST(ProgramStringTable, EveryMessageInEveryLanguageAndNothingElse) {
    const auto table = TableByKey();
    EXPECT_EQ(table.size(),
              sizeof kLanguages / sizeof kLanguages[0] * (sizeof kIds / sizeof kIds[0]));
    for (const char* language : kLanguages) {
        for (unsigned id : kIds) {
            EXPECT_EQ(table.count({language, id}), 1u) << language << " " << id << " is missing";
        }
    }
}

TEST(ProgramStringTable, EnglishWordForWord) {
    const auto table = TableByKey();
    const std::string cannotSupport =
        "The \"orvik plotara system maintenance utility\" on your system does not have support "
        "for any installed plotara printers.\nA reinstallation of the utility will likely solve "
        "the problem. Otherwise, please contact Orvik.";
    const std::string cannotStart =
        "The \"orvik plotara system maintenance utility\" has not been able to start.\n"
        "Reinstalling all the software that came with your printer will likely solve the "
        "problem. Otherwise, please contact Orvik.";
    const std::string unsupportedPrinter =
        "The \"orvik plotara system maintenance utility\" installed on your system does not have "
        "support for \"%1\" printers installed.\nA reinstallation of the utility will likely "
        "solve the problem. Otherwise, please contact Orvik.";
    const std::string cannotStartUp =
        "The \"orvik plotara system maintenance utility\" has not been able to startup.\n"
        "A reinstallation of the utility will likely solve the problem. Otherwise, please "
        "contact Orvik.";
    const std::pair<unsigned, std::string> expected[] = {
        {1, cannotSupport}, {2, cannotSupport},      {3, cannotStart},
        {4, cannotStart},   {5, unsupportedPrinter}, {6, cannotStartUp},
        {7, cannotStartUp}, {8, cannotStartUp},      {11, "orvik plotara system maintenance"},
    };
    for (const auto& [id, text] : expected) {
        const auto found = table.find({"en", id});
        ASSERT_NE(found, table.end()) << id;
        EXPECT_EQ(found->second, text) << "English " << id;
    }
}

TEST(ProgramStringTable, EveryTranslationKeepsTheShapeOfItsMessage) {
    const auto table = TableByKey();
    for (const auto& [key, text] : table) {
        const auto& [language, id] = key;
        SCOPED_TRACE(language + " " + std::to_string(id) + ": " + text);
        EXPECT_TRUE(IsUtf8(text));
        // LoadProgramString's default buffer (255 with the NUL) must never cut a message.
        EXPECT_LE(Utf16Units(text), 254u);
        EXPECT_EQ(Occurrences(text, "%1"), id == 5 ? 1u : 0u);
        if (id == 11) {
            EXPECT_EQ(Occurrences(text, "\n"), 0u);
            EXPECT_EQ(Occurrences(text, "orvik plotara"), 1u);
            continue;
        }
        EXPECT_EQ(Occurrences(text, "\n"), 1u);
        EXPECT_EQ(Occurrences(text, "\"orvik plotara system maintenance utility\""), 1u);
        EXPECT_EQ(Occurrences(text, "\""), id == 5 ? 4u : 2u);
        EXPECT_NE(text.find("Orvik"), std::string::npos);
        if (language != "en") {
            EXPECT_NE(text, table.at({"en", id})) << "not translated";
        }
    }
}

TEST(ProgramStringTable, MessagesThatShareATextShareItInEveryLanguage) {
    const auto table = TableByKey();
    const std::pair<unsigned, unsigned> twins[] = {{1, 2}, {3, 4}, {6, 7}, {6, 8}};
    for (const char* language : kLanguages) {
        for (const auto& [first, second] : twins) {
            const auto a = table.find({language, first});
            const auto b = table.find({language, second});
            ASSERT_TRUE(a != table.end() && b != table.end()) << language;
            EXPECT_EQ(a->second, b->second) << language << " " << first << " and " << second;
        }
        const auto support = table.find({language, 1});
        const auto start = table.find({language, 3});
        const auto startUp = table.find({language, 6});
        ASSERT_TRUE(support != table.end() && start != table.end() && startUp != table.end());
        EXPECT_NE(support->second, start->second) << language;
        EXPECT_NE(start->second, startUp->second) << language;
    }
}

}  // namespace
