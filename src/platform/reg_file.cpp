#include "platform/reg_file.h"

#include <algorithm>
#include <utility>

#include "text/ascii_case.h"

namespace platform {

namespace {

const char* const kVersion5Header = "Windows Registry Editor Version 5.00";
const char* const kRegedit4Header = "REGEDIT4";
const char* const kRootNames[] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT",
                                  "HKEY_USERS", "HKEY_CURRENT_CONFIG"};
// regedit's width for continued hex data, the trailing backslash included.
constexpr std::size_t kHexLineWidth = 80;

/// Whether `path` is `top` or a key below it, ignoring case.
bool IsSameOrBelow(const std::string& path, const std::string& top) {
    if (!StartsWithIgnoringAsciiCase(path, top)) return false;
    return path.size() == top.size() || path[top.size()] == '\\';
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

/// Names and key paths must survive a trip through a line-based text.
bool HasNulOrLineBreak(const std::string& text) {
    for (char c : text) {
        if (c == '\0' || c == '\r' || c == '\n') return true;
    }
    return false;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

/// Describes one byte for a message: itself when printable, "\xNN" otherwise.
std::string Shown(char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f) return std::string(1, c);
    const char* const digits = "0123456789abcdef";
    return std::string("\\x") + digits[byte >> 4] + digits[byte & 0x0f];
}

/// Splits a key path at its backslashes and checks it; "" when valid, else what is wrong.
std::string KeyPathFault(const std::string& path, std::vector<std::string>* parts) {
    parts->clear();
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path.find('\\', start);
        parts->push_back(path.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    const std::string root = RegFile::CanonicalRootName(parts->front());
    if (root.empty()) return "unknown root key \"" + parts->front() + "\"";
    parts->front() = root;
    for (std::size_t i = 1; i < parts->size(); ++i) {
        if ((*parts)[i].empty()) return "empty key name in \"" + path + "\"";
    }
    if (HasNulOrLineBreak(path)) return "NUL or line break in key path";
    return "";
}

std::string EscapeQuoted(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size() + 2);
    for (char c : text) {
        if (c == '\\' || c == '"') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

/// A REG_SZ can be written as "text" only when it is one NUL-terminated line.
bool IsQuotableString(const std::string& data) {
    if (data.empty() || data.back() != '\0') return false;
    return !HasNulOrLineBreak(data.substr(0, data.size() - 1));
}

std::string HexNumber(std::uint32_t number, std::size_t minimumDigits) {
    const char* const digits = "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), digits[number & 0x0f]);
        number >>= 4;
    } while (number != 0);
    if (text.size() < minimumDigits) text.insert(0, minimumDigits - text.size(), '0');
    return text;
}

/// Appends `line` and `bytes` as comma-separated hex, continued on indented lines as regedit
/// does; the first byte always stays on the first line.
void AppendHex(std::string line, const std::string& bytes, std::string* out) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0 && line.size() + 4 > kHexLineWidth) {
            *out += line + "\\\r\n";
            line = "  ";
        }
        line += HexNumber(static_cast<unsigned char>(bytes[i]), 2);
        if (i + 1 < bytes.size()) line += ',';
    }
    *out += line + "\r\n";
}

void AppendValue(const RegFileValue& value, std::string* out) {
    std::string line = value.name.empty() ? "@=" : "\"" + EscapeQuoted(value.name) + "\"=";
    if (value.type == kRegSz && IsQuotableString(value.data)) {
        *out += line + "\"" + EscapeQuoted(value.data.substr(0, value.data.size() - 1)) + "\"\r\n";
    } else if (value.type == kRegDWord && value.data.size() == 4) {
        std::uint32_t number = 0;
        for (std::size_t i = 4; i-- > 0;) {
            number = (number << 8) | static_cast<unsigned char>(value.data[i]);
        }
        *out += line + "dword:" + HexNumber(number, 8) + "\r\n";
    } else {
        line += value.type == kRegBinary ? "hex:" : "hex(" + HexNumber(value.type, 1) + "):";
        AppendHex(line, value.data, out);
    }
}

/// Hands out the lines of a text one by one, CR LF or LF ended, counting them from 1.
class LineReader {
public:
    explicit LineReader(const std::string& text) : m_text(text) {}

    bool Next(std::string* line) {
        if (m_position >= m_text.size()) return false;
        std::size_t end = m_text.find('\n', m_position);
        if (end == std::string::npos) end = m_text.size();
        line->assign(m_text, m_position, end - m_position);
        if (!line->empty() && line->back() == '\r') line->pop_back();
        m_position = end + 1;
        ++m_number;
        return true;
    }
    std::size_t Number() const { return m_number; }
    void Skip(std::size_t bytes) { m_position += bytes; }

private:
    const std::string& m_text;
    std::size_t m_position = 0;
    std::size_t m_number = 0;
};

/// Applies the lines of one ".reg" text to a registry, stopping at the first fault.
class Importer {
public:
    Importer(const std::string& text, RegFile* registry) : m_lines(text), m_registry(registry) {
        m_utf16 = text.size() >= 2 && ((text[0] == '\xff' && text[1] == '\xfe') ||
                                       (text[0] == '\xfe' && text[1] == '\xff'));
        if (text.compare(0, 3, "\xef\xbb\xbf") == 0) m_lines.Skip(3);
    }

    bool Run(RegFile::Format* format) {
        std::string line;
        if (m_utf16) return Fail("UTF-16 text is not read; save the file as 8-bit text");
        if (!m_lines.Next(&line))
            return Fail(std::string("missing header \"") + kVersion5Header + "\" or \"" +
                        kRegedit4Header + "\"");
        while (!line.empty() && IsBlank(line.back())) line.pop_back();
        if (line == kVersion5Header) {
            *format = RegFile::Format::Version5;
        } else if (line == kRegedit4Header) {
            *format = RegFile::Format::Regedit4;
        } else {
            return Fail(std::string("expected the header \"") + kVersion5Header + "\" or \"" +
                        kRegedit4Header + "\"");
        }
        while (m_lines.Next(&line)) {
            const std::size_t pos = SkipBlanks(line, 0);
            if (pos == line.size() || line[pos] == ';') continue;
            bool ok = false;
            if (line[pos] == '[') {
                ok = ParseSection(line, pos);
            } else if (line[pos] == '"' || line[pos] == '@') {
                ok = ParseValue(line, pos);
            } else {
                ok = Fail("expected a \"[key]\" line or a value line, found \"" + Shown(line[pos]) +
                          "\"");
            }
            if (!ok) return false;
        }
        return true;
    }

    const std::string& Error() const { return m_error; }

private:
    enum class Section { None, Key, DeletedKey };

    bool Fail(const std::string& what) {
        // Faults found before the first line is read (an empty or UTF-16 text) are on line 1.
        const std::size_t line = m_lines.Number() == 0 ? 1 : m_lines.Number();
        m_error = "line " + std::to_string(line) + ": " + what;
        return false;
    }

    static std::size_t SkipBlanks(const std::string& line, std::size_t pos) {
        while (pos < line.size() && IsBlank(line[pos])) ++pos;
        return pos;
    }

    static bool StartsWithNoCase(const std::string& line, std::size_t pos, const char* word) {
        for (; *word != '\0'; ++word, ++pos) {
            if (pos >= line.size() || ToLowerAscii(line[pos]) != *word) return false;
        }
        return true;
    }

    bool ExpectLineEnd(const std::string& line, std::size_t pos, const char* after) {
        pos = SkipBlanks(line, pos);
        if (pos == line.size()) return true;
        return Fail(std::string("unexpected \"") + Shown(line[pos]) + "\" after " + after);
    }

    bool ParseSection(const std::string& line, std::size_t pos) {
        const std::size_t close = line.rfind(']');
        if (close == std::string::npos || close < pos) return Fail("missing \"]\" after key");
        if (!ExpectLineEnd(line, close + 1, "\"]\"")) return false;
        std::string path = line.substr(pos + 1, close - pos - 1);
        const bool deletion = !path.empty() && path[0] == '-';
        if (deletion) path.erase(0, 1);
        std::vector<std::string> parts;
        const std::string fault = KeyPathFault(path, &parts);
        if (!fault.empty()) return Fail(fault);
        if (deletion) {
            m_registry->DeleteTree(path);
            m_section = Section::DeletedKey;
        } else {
            if (!m_registry->CreateKey(path)) return Fail("cannot create key \"" + path + "\"");
            m_key = path;
            m_section = Section::Key;
        }
        return true;
    }

    bool ParseValue(const std::string& line, std::size_t pos) {
        if (m_section == Section::None) return Fail("value before the first \"[key]\" line");
        if (m_section == Section::DeletedKey) return Fail("value under a deleted key");
        RegFileValue value;
        if (line[pos] == '@') {
            ++pos;
        } else {
            if (!ParseQuoted(line, &pos, &value.name)) return false;
            if (HasNulOrLineBreak(value.name)) return Fail("NUL or carriage return in value name");
        }
        pos = SkipBlanks(line, pos);
        if (pos == line.size() || line[pos] != '=') return Fail("expected \"=\" after value name");
        pos = SkipBlanks(line, pos + 1);
        if (pos == line.size()) return Fail("missing value data after \"=\"");

        if (line[pos] == '-') {
            if (!ExpectLineEnd(line, pos + 1, "\"-\"")) return false;
            m_registry->DeleteValue(m_key, value.name);
            return true;
        }
        if (line[pos] == '"') {
            if (!ParseQuoted(line, &pos, &value.data)) return false;
            if (!ExpectLineEnd(line, pos, "the string")) return false;
            value.data += '\0';
            value.type = kRegSz;
        } else if (StartsWithNoCase(line, pos, "dword:")) {
            if (!ParseDWord(line, pos + 6, &value.data)) return false;
            value.type = kRegDWord;
        } else if (StartsWithNoCase(line, pos, "hex:")) {
            value.type = kRegBinary;
            if (!ParseHex(line, pos + 4, &value.data)) return false;
        } else if (StartsWithNoCase(line, pos, "hex(")) {
            pos += 4;
            if (!ParseTypeNumber(line, &pos, &value.type)) return false;
            if (!ParseHex(line, pos, &value.data)) return false;
        } else {
            return Fail("unknown value data \"" + Shown(line[pos]) +
                        "...\"; expected \"text\", dword:, hex: or hex(N):");
        }
        if (!m_registry->SetValue(m_key, value)) return Fail("cannot set value");
        return true;
    }

    /// Reads a quoted text at `*pos`, undoing the \\ and \" escapes; moves past the quote.
    bool ParseQuoted(const std::string& line, std::size_t* pos, std::string* text) {
        text->clear();
        for (std::size_t i = *pos + 1; i < line.size(); ++i) {
            if (line[i] == '"') {
                *pos = i + 1;
                return true;
            }
            if (line[i] == '\\') {
                if (++i == line.size()) break;
                if (line[i] != '\\' && line[i] != '"') {
                    return Fail("unknown escape \"\\" + Shown(line[i]) +
                                "\" in quoted text; write \\\\ for a backslash");
                }
            }
            *text += line[i];
        }
        return Fail("missing closing quote");
    }

    bool ParseDWord(const std::string& line, std::size_t pos, std::string* data) {
        std::uint32_t number = 0;
        std::size_t digits = 0;
        for (; pos < line.size() && HexDigit(line[pos]) >= 0; ++pos, ++digits) {
            if (digits == 8) return Fail("more than 8 hex digits after dword:");
            number = (number << 4) | static_cast<std::uint32_t>(HexDigit(line[pos]));
        }
        if (digits == 0) return Fail("missing hex digits after dword:");
        if (!ExpectLineEnd(line, pos, "the dword")) return false;
        data->clear();
        for (int i = 0; i < 4; ++i, number >>= 8) *data += static_cast<char>(number & 0xff);
        return true;
    }

    /// Reads the N of "hex(N):" and moves past the colon.
    bool ParseTypeNumber(const std::string& line, std::size_t* pos, std::uint32_t* type) {
        std::uint32_t number = 0;
        std::size_t digits = 0;
        std::size_t i = *pos;
        for (; i < line.size() && HexDigit(line[i]) >= 0; ++i, ++digits) {
            if (digits == 8) return Fail("value type in hex( ) has more than 8 hex digits");
            number = (number << 4) | static_cast<std::uint32_t>(HexDigit(line[i]));
        }
        if (digits == 0 || line.compare(i, 2, "):") != 0) {
            return Fail("expected hex(N): with N a hex number");
        }
        *type = number;
        *pos = i + 2;
        return true;
    }

    /// Reads comma-separated hex bytes; a backslash ending a line after a comma continues
    /// the list on the next line.
    bool ParseHex(std::string line, std::size_t pos, std::string* bytes) {
        bytes->clear();
        bool expectByte = true;
        bool afterComma = false;
        for (;;) {
            pos = SkipBlanks(line, pos);
            if (pos == line.size()) {
                if (afterComma) return Fail("hex data ends with \",\"");
                return true;
            }
            const char c = line[pos];
            if (c == '\\' && expectByte) {
                if (!ExpectLineEnd(line, pos + 1, "the continuation \"\\\"")) return false;
                if (!m_lines.Next(&line)) return Fail("file ends inside continued hex data");
                pos = 0;
                continue;
            }
            if (expectByte) {
                if (HexDigit(c) < 0) return Fail("bad hex byte \"" + Shown(c) + "\"");
                int byte = HexDigit(c);
                ++pos;
                if (pos < line.size() && HexDigit(line[pos]) >= 0) {
                    byte = byte * 16 + HexDigit(line[pos]);
                    ++pos;
                }
                *bytes += static_cast<char>(byte);
                expectByte = false;
                afterComma = false;
            } else {
                if (c != ',')
                    return Fail("expected \",\" between hex bytes, found \"" + Shown(c) + "\"");
                ++pos;
                expectByte = true;
                afterComma = true;
            }
        }
    }

    LineReader m_lines;
    RegFile* m_registry;
    bool m_utf16 = false;
    Section m_section = Section::None;
    std::string m_key;
    std::string m_error;
};

}  // namespace

bool RegFile::Parse(const std::string& text, RegFile* registry, std::string* error) {
    RegFile parsed;
    Format format = Format::Version5;
    if (!parsed.Apply(text, &format, error)) return false;
    parsed.m_format = format;
    *registry = std::move(parsed);
    return true;
}

bool RegFile::Import(const std::string& text, std::string* error) {
    RegFile work(*this);
    Format ignored = m_format;
    if (!work.Apply(text, &ignored, error)) return false;
    *this = std::move(work);
    return true;
}

bool RegFile::Apply(const std::string& text, Format* format, std::string* error) {
    Importer importer(text, this);
    if (importer.Run(format)) return true;
    if (error != nullptr) *error = importer.Error();
    return false;
}

std::string RegFile::Serialise() const {
    std::string out = m_format == Format::Regedit4 ? kRegedit4Header : kVersion5Header;
    out += "\r\n";
    for (const RegFileKey& key : m_keys) {
        out += "\r\n[" + key.path + "]\r\n";
        for (const RegFileValue& value : key.values) AppendValue(value, &out);
    }
    out += "\r\n";
    return out;
}

std::string RegFile::CanonicalRootName(const std::string& name) {
    for (const char* root : kRootNames) {
        if (EqualsIgnoringAsciiCase(name, root)) return root;
    }
    return "";
}

const RegFileKey* RegFile::FindKey(const std::string& path) const {
    const auto found = m_index.find(ToLowerAscii(path));
    return found == m_index.end() ? nullptr : &m_keys[found->second];
}

RegFileKey* RegFile::FindMutableKey(const std::string& path) {
    const auto found = m_index.find(ToLowerAscii(path));
    return found == m_index.end() ? nullptr : &m_keys[found->second];
}

bool RegFile::CreateKey(const std::string& path) {
    std::vector<std::string> parts;
    if (!KeyPathFault(path, &parts).empty()) return false;
    // A root becomes a key of its own only when named alone: regedit writes no section for it.
    std::string existing = parts.front();
    if (parts.size() == 1 && FindKey(existing) == nullptr) {
        m_index.emplace(ToLowerAscii(existing), m_keys.size());
        m_keys.push_back(RegFileKey{existing, {}});
    }
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::string wanted = existing + "\\" + parts[i];
        if (const RegFileKey* key = FindKey(wanted)) {
            existing = key->path;  // the spelling it was created with
            continue;
        }
        m_index.emplace(ToLowerAscii(wanted), m_keys.size());
        m_keys.push_back(RegFileKey{wanted, {}});
        existing = wanted;
    }
    return true;
}

bool RegFile::DeleteTree(const std::string& path) {
    std::vector<std::string> parts;
    if (!KeyPathFault(path, &parts).empty()) return false;
    // Below a root every key has its parent, so a missing key has no subkeys to remove.
    if (parts.size() > 1 && FindKey(path) == nullptr) return false;
    const auto doomed = [&path](const RegFileKey& key) { return IsSameOrBelow(key.path, path); };
    const auto first = std::find_if(m_keys.begin(), m_keys.end(), doomed);
    if (first == m_keys.end()) return false;
    const std::size_t firstIndex = static_cast<std::size_t>(first - m_keys.begin());
    for (auto it = first; it != m_keys.end(); ++it) {
        if (doomed(*it)) m_index.erase(ToLowerAscii(it->path));
    }
    m_keys.erase(std::remove_if(first, m_keys.end(), doomed), m_keys.end());
    // Only the keys after the first removed one moved.
    for (std::size_t i = firstIndex; i < m_keys.size(); ++i) {
        m_index[ToLowerAscii(m_keys[i].path)] = i;
    }
    return true;
}

bool RegFile::SetValue(const std::string& path, const RegFileValue& value) {
    if (HasNulOrLineBreak(value.name)) return false;
    RegFileKey* key = FindMutableKey(path);
    if (key == nullptr) return false;
    for (RegFileValue& existing : key->values) {
        if (EqualsIgnoringAsciiCase(existing.name, value.name)) {
            existing.type = value.type;  // the name keeps its first spelling, as in Windows
            existing.data = value.data;
            return true;
        }
    }
    key->values.push_back(value);
    return true;
}

bool RegFile::DeleteValue(const std::string& path, const std::string& name) {
    RegFileKey* key = FindMutableKey(path);
    if (key == nullptr) return false;
    for (auto it = key->values.begin(); it != key->values.end(); ++it) {
        if (EqualsIgnoringAsciiCase(it->name, name)) {
            key->values.erase(it);
            return true;
        }
    }
    return false;
}

const RegFileValue* RegFile::FindValue(const RegFileKey& key, const std::string& name) {
    for (const RegFileValue& value : key.values) {
        if (EqualsIgnoringAsciiCase(value.name, name)) return &value;
    }
    return nullptr;
}

RegistryType RegistryTypeOf(std::uint32_t type) {
    switch (type) {
        case kRegSz:
            return RegistryType::String;
        case kRegDWord:
            return RegistryType::DWord;
        case kRegBinary:
            return RegistryType::Binary;
        default:
            return RegistryType::Other;
    }
}

}  // namespace platform
