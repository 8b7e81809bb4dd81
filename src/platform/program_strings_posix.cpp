// The string table on POSIX: the program hands in its table (generated from its .rc) and the
// user's language comes from the locale variables, as gettext would read them.

#include <cstdlib>
#include <cstring>

#include "platform/program_strings.h"

namespace platform {

namespace {

const ProgramString* g_table = nullptr;  // set once by main, read only afterwards
std::size_t g_count = 0;

/// The first non-empty of LC_ALL, LC_MESSAGES and LANG; "" when none is set.
std::string UserLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0') return value;
    }
    return std::string();
}

/// The table tag for a POSIX locale name such as "de_DE.UTF-8" or "zh_TW@radical". Spanish
/// outside Mexico reads the modern-sort table; every Portuguese the Brazilian one, which a
/// Portuguese reader follows better than English.
std::string TableLanguage(const std::string& locale) {
    const std::size_t languageEnd = locale.find_first_of("_.@");
    const std::string language = locale.substr(0, languageEnd);
    std::string region;
    if (languageEnd != std::string::npos && locale[languageEnd] == '_') {
        const std::size_t regionEnd = locale.find_first_of(".@", languageEnd);
        region = locale.substr(languageEnd + 1, regionEnd == std::string::npos
                                                    ? std::string::npos
                                                    : regionEnd - languageEnd - 1);
    }
    if (language == "de" || language == "fr" || language == "it" || language == "ja" ||
        language == "ko") {
        return language;
    }
    if (language == "es") return region == "MX" ? "es-MX" : "es-ES";
    if (language == "pt") return "pt-BR";
    if (language == "zh") {
        return region == "TW" || region == "HK" || region == "MO" ? "zh-TW" : "zh-CN";
    }
    return "en";  // also "C", "POSIX" and no locale at all
}

const char* Find(const std::string& language, unsigned id) {
    for (std::size_t i = 0; i < g_count; ++i) {
        if (g_table[i].id == id && language == g_table[i].language) return g_table[i].text;
    }
    return nullptr;
}

/// The byte length of the UTF-8 sequence a lead byte starts (1 for a stray byte).
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF8) return 4;
    if (lead >= 0xE0 && lead < 0xF0) return 3;
    if (lead >= 0xC0 && lead < 0xE0) return 2;
    return 1;
}

/// `text` cut to at most `units` UTF-16 units at a character boundary: a character beyond the
/// Basic Multilingual Plane (a 4-byte sequence) takes two units, as in LoadStringW's buffer.
std::string Truncated(const char* text, std::size_t units) {
    const std::size_t size = std::strlen(text);
    std::size_t end = 0;
    std::size_t used = 0;
    while (end < size) {
        const std::size_t length = SequenceLength(static_cast<unsigned char>(text[end]));
        const std::size_t cost = length == 4 ? 2 : 1;
        if (used + cost > units) break;
        used += cost;
        end = end + length < size ? end + length : size;
    }
    return std::string(text, end);
}

}  // namespace

void UseProgramStrings(const ProgramString* table, std::size_t count) {
    g_table = table;
    g_count = table == nullptr ? 0 : count;
}

std::string LoadProgramString(unsigned id, std::size_t maxCharacters) {
    if (maxCharacters == 0) return std::string();
    const char* text = Find(TableLanguage(UserLocale()), id);
    if (text == nullptr) text = Find("en", id);
    if (text == nullptr) return std::string();
    return Truncated(text, maxCharacters - 1);
}

}  // namespace platform
