#include "platform/system_version.h"

namespace platform {

namespace {

// Windows' primary language numbers (the low ten bits of a language identifier).
struct Language {
    const char* code;
    std::uint16_t primary;
};
const Language kLanguages[] = {
    {"cs", 0x05}, {"da", 0x06}, {"de", 0x07}, {"en", 0x09}, {"es", 0x0A},
    {"fi", 0x0B}, {"fr", 0x0C}, {"hu", 0x0E}, {"it", 0x10}, {"ja", 0x11},
    {"ko", 0x12}, {"nl", 0x13}, {"nb", 0x14}, {"no", 0x14}, {"pl", 0x15},
    {"pt", 0x16}, {"ru", 0x19}, {"sv", 0x1D}, {"tr", 0x1F}, {"zh", 0x04},
};

// Sublanguage numbers (the high six bits) of the territories Windows tells apart.
struct Territory {
    const char* code;  // language_TERRITORY
    std::uint16_t sublanguage;
};
const Territory kTerritories[] = {
    {"cs_CZ", 1}, {"da_DK", 1}, {"de_DE", 1}, {"de_CH", 2}, {"de_AT", 3}, {"en_US", 1},
    {"en_GB", 2}, {"en_AU", 3}, {"en_CA", 4}, {"en_NZ", 5}, {"en_IE", 6}, {"es_MX", 2},
    {"es_ES", 3}, {"fi_FI", 1}, {"fr_FR", 1}, {"fr_BE", 2}, {"fr_CA", 3}, {"fr_CH", 4},
    {"hu_HU", 1}, {"it_IT", 1}, {"it_CH", 2}, {"ja_JP", 1}, {"ko_KR", 1}, {"nl_NL", 1},
    {"nl_BE", 2}, {"nb_NO", 1}, {"no_NO", 1}, {"pl_PL", 1}, {"pt_BR", 1}, {"pt_PT", 2},
    {"ru_RU", 1}, {"sv_SE", 1}, {"tr_TR", 1}, {"zh_TW", 1}, {"zh_CN", 2}, {"zh_HK", 3},
    {"zh_SG", 4},
};

}  // namespace

std::uint16_t LanguageIdOfLocale(const std::string& locale) {
    // "de_DE.UTF-8@euro": the code set and the modifier say nothing of the language.
    const std::string name = locale.substr(0, locale.find_first_of(".@"));
    const std::string language = name.substr(0, name.find('_'));
    std::uint16_t primary = 0;
    for (const Language& known : kLanguages) {
        if (language == known.code) primary = known.primary;
    }
    if (primary == 0) return 0;
    for (const Territory& known : kTerritories) {
        if (name == known.code)
            return static_cast<std::uint16_t>(known.sublanguage << 10 | primary);
    }
    return primary;
}

}  // namespace platform
