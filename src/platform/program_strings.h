#pragma once
/// The running program's string table (the texts of its message boxes) in the user's language.
/// Windows: the STRINGTABLE resources compiled into the program. POSIX: the same table as data,
/// generated from the program's .rc by velkor_program_resources() (cmake/StringTable.cmake).

#include <cstddef>
#include <string>

namespace platform {

/// One string of a program's table, for POSIX, where programs carry their table as data.
/// `language` is the table's tag: "en", "de", "fr", "it", "es-ES" (modern sort),
/// "es-ES_tradnl" (traditional sort), "es-MX", "pt-BR", "ja", "ko", "zh-CN", "zh-TW".
struct ProgramString {
    const char* language;
    unsigned id;
    const char* text;
};

/// The table generated from the program's .rc; defined by the generated source linked into
/// that program only (not by this library).
extern const ProgramString kProgramStrings[];
/// The number of entries of kProgramStrings.
extern const std::size_t kProgramStringCount;

/// POSIX: the table the program carries (generated from its .rc); call once from main, before
/// any LoadProgramString. Ignored on Windows.
void UseProgramStrings(const ProgramString* table, std::size_t count);

/// String `id` of the running program's string table in the user's language, as UTF-8, at most
/// `maxCharacters` characters (the Windows buffer size in characters, NUL included, as LoadString
/// sees it); "" when the table has no such string. Characters are counted as UTF-16 units, as
/// Windows counts them, and a character is never cut in half.
/// POSIX: the language of LC_ALL, else LC_MESSAGES, else LANG; a string missing in that
/// language, or a language without a table, gives the English string.
std::string LoadProgramString(unsigned id, std::size_t maxCharacters = 255);

}  // namespace platform
