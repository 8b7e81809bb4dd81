// The printer selector's string table as generated from resources/printer_selector.rc: every
// text in every language, the English word for word, and what the program and its users rely
// on in each translation.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "platform/program_strings.h"
#include "selector/selector_string_ids.h"

namespace {

const char* const kLanguages[] = {"en",    "de",    "fr", "it", "es-ES", "es-ES_tradnl",
                                  "es-MX", "pt-BR", "ja", "ko", "zh-CN", "zh-TW"};
const unsigned kIds[] = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 18, 19, 20, 21, 22, 23, 24, 25};

using Table = std::map<std::pair<std::string, unsigned>, std::string>;

Table TableByKey() {
    Table table;
    for (std::size_t i = 0; i < platform::kProgramStringCount; ++i) {
        const platform::ProgramString& entry = platform::kProgramStrings[i];
        EXPECT_TRUE(table.emplace(std::make_pair(entry.language, entry.id), entry.text).second)
            << entry.language << " " << entry.id << " is given twice";
    }
    return table;
}

std::string TextOf(const Table& table, const std::string& language, unsigned id) {
    const auto found = table.find({language, id});
    return found == table.end() ? std::string("<missing>") : found->second;
}

bool IsUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        if (lead >= 0xF0 && lead < 0xF5) {
            length = 4;
        } else if (lead >= 0xE0) {
            length = lead < 0xF0 ? 3 : 0;
        } else if (lead >= 0xC2) {
            length = 2;
        } else if (lead >= 0x80) {
            return false;
        }
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

std::size_t Utf16Units(const std::string& text) {
    std::size_t units = 0;
    for (char byte : text) {
        const auto value = static_cast<unsigned char>(byte);
        if ((value & 0xC0) != 0x80) units += value >= 0xF0 ? 2 : 1;
    }
    return units;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(PrinterSelectorStrings, EveryTextInEveryLanguageAndNothingElse) {
    const Table table = TableByKey();
    EXPECT_EQ(table.size(), std::size(kLanguages) * std::size(kIds));
    for (const char* language : kLanguages) {
        for (unsigned id : kIds) {
            EXPECT_EQ(table.count({language, id}), 1u) << language << " " << id << " is missing";
        }
    }
}

TEST(PrinterSelectorStrings, EnglishWordForWord) {
    const Table table = TableByKey();
    const std::pair<unsigned, std::string> expected[] = {
        {1, "Select your printer from the list below, and click the \"Next...\" button."},
        {2,
         "Cannot access the selected printer\n\nPlease check the connections to the printer, "
         "check that the printer is turned on, then retry the operation.\n"},
        {3, "Orvik Plotara system maintenance"},
        {4, "Model"},
        {5, "Port"},
        {6, "IP Address / Host Name"},
        {7, "Serial Number"},
        {9, "Next..."},
        {10, "Quit"},
        {11, "Settings..."},
        {12, "Refresh"},
        {18, "Parallel"},
        {19,
         "An internal error occurred during execution.\n\n Orvik Plotara System Maintenance "
         "will now abort. Restart this application and try again. If the problem persists, "
         "please contact Orvik.\n"},
        {20,
         "The file which is needed in order to perform the command has not been found in the "
         "installation directory.\n\nReinstall the Orvik Plotara 530 system maintenance "
         "utility from the Orvik Plotara Printers Software Setup CD provided with the "
         "printer or download it from Orvik Plotara Online. If this does not solve the "
         "problem contact Orvik.\n"},
        {21,
         "The \"orvik plotara system maintenance utility\" has not been able to startup.\n\n"
         "A reinstallation of the utility will likely solve the problem. Otherwise, please "
         "contact Orvik.\n"},
        {22,
         "Cannot access the selected printer.\n\nThe selected printer cannot be accessed, as "
         "it might have been uninstalled. \nInstall the printer and click the \"Refresh\" "
         "button to proceed.\n"},
        {23, "Local"},
        {24, "Network"},
        {25, "Orvik Plotara system maintenance "},
    };
    for (const auto& [id, text] : expected) EXPECT_EQ(TextOf(table, "en", id), text) << id;
}

// A second selector finds the first by its title, and the installed versions are read from a
// key named by string 25: neither may change with the user's language.
TEST(PrinterSelectorStrings, TitleAndVersionKeyAreTheSameInEveryLanguage) {
    const Table table = TableByKey();
    for (const char* language : kLanguages) {
        EXPECT_EQ(TextOf(table, language, selector_text::kTitle),
                  "Orvik Plotara system maintenance")
            << language;
        EXPECT_EQ(TextOf(table, language, selector_text::kVersionsKey),
                  "Orvik Plotara system maintenance ")
            << language;
    }
}

// The texts that tell the user to press a button name it as that language's button reads.
TEST(PrinterSelectorStrings, QuotedButtonsMatchTheButtonCaptions) {
    const Table table = TableByKey();
    const struct {
        unsigned text;
        unsigned button;
    } quoted[] = {{selector_text::kInstruction, selector_text::kNext},
                  {selector_text::kPrinterNotAccessible, selector_text::kRefresh}};
    for (const char* language : kLanguages) {
        for (const auto& pair : quoted) {
            const std::string caption = "\"" + TextOf(table, language, pair.button) + "\"";
            EXPECT_NE(TextOf(table, language, pair.text).find(caption), std::string::npos)
                << language << " " << pair.text << " should name " << caption;
        }
    }
}

TEST(PrinterSelectorStrings, EveryTranslationKeepsTheShapeOfItsText) {
    const Table table = TableByKey();
    // What a translation keeps: product names stay English, messages keep their paragraphs.
    const struct {
        unsigned id;
        const char* part;
    } kept[] = {
        {19, " Orvik Plotara System Maintenance"},
        {20, "Orvik Plotara 530 system maintenance utility"},
        {20, "Orvik Plotara Printers Software Setup"},
        {20, "Orvik Plotara Online"},
        {21, "\"orvik plotara system maintenance utility\""},
    };
    for (const auto& [key, text] : table) {
        const auto& [language, id] = key;
        SCOPED_TRACE(language + " " + std::to_string(id) + ": " + text);
        EXPECT_TRUE(IsUtf8(text));
        EXPECT_LT(Utf16Units(text), selector_text::kLongestText);
        const std::string english = TextOf(table, "en", id);
        EXPECT_EQ(Count(text, "\n\n"), Count(english, "\n\n"));
        EXPECT_EQ(!text.empty() && text.back() == '\n', english.back() == '\n');
        EXPECT_EQ(Count(text, "\""), Count(english, "\""));
        for (const auto& part : kept) {
            if (part.id != id) continue;
            EXPECT_NE(text.find(part.part), std::string::npos) << part.part;
        }
    }
}

// The captions of one screen must differ, or the user cannot tell the buttons apart.
TEST(PrinterSelectorStrings, CaptionsOfOneLanguageDiffer) {
    const Table table = TableByKey();
    const unsigned captions[] = {4, 5, 6, 7, 9, 10, 11, 12, 18, 23, 24};
    for (const char* language : kLanguages) {
        std::map<std::string, unsigned> seen;
        for (unsigned id : captions) {
            const auto [at, added] = seen.emplace(TextOf(table, language, id), id);
            EXPECT_TRUE(added) << language << ": " << id << " reads like " << at->second;
        }
    }
}

}  // namespace
