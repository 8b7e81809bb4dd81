#include "registry_script.h"

#include <cctype>

namespace {

class ScriptReader {
public:
    explicit ScriptReader(const std::string& text) : m_text(text) {}

    bool ReadRoots(std::vector<RegistryScriptKey>* roots) {
        SkipBlanks();
        while (m_position < m_text.size()) {
            RegistryScriptKey root;
            if (!ReadName(&root.name) || !ReadBody(&root)) return false;
            roots->push_back(std::move(root));
            SkipBlanks();
        }
        return true;
    }

    std::string Error() const { return "line " + std::to_string(m_line) + ": " + m_error; }

private:
    void SkipBlanks() {
        while (m_position < m_text.size() &&
               std::isspace(static_cast<unsigned char>(m_text[m_position]))) {
            if (m_text[m_position] == '\n') ++m_line;
            ++m_position;
        }
    }

    bool Fail(const std::string& message) {
        m_error = message;
        return false;
    }

    /// `c` as a word of its own: like the registrar's, the language is separated by blanks, so
    /// "{2B7E...}" is a name and "{" a brace.
    bool Peek(char c) {
        SkipBlanks();
        if (m_position >= m_text.size() || m_text[m_position] != c) return false;
        return m_position + 1 == m_text.size() ||
               std::isspace(static_cast<unsigned char>(m_text[m_position + 1]));
    }

    bool ReadName(std::string* name) {
        SkipBlanks();
        name->clear();
        if (m_position >= m_text.size()) return Fail("a name is missing");
        if (m_text[m_position] == '\'') return ReadQuoted(name);
        while (m_position < m_text.size()) {
            char c = m_text[m_position];
            if (std::isspace(static_cast<unsigned char>(c))) break;
            name->push_back(c);
            ++m_position;
        }
        return name->empty() ? Fail("a name is missing") : true;
    }

    bool ReadQuoted(std::string* text) {
        const int startLine = m_line;
        ++m_position;
        while (m_position < m_text.size()) {
            char c = m_text[m_position++];
            if (c == '\'') {
                if (m_position < m_text.size() && m_text[m_position] == '\'') {
                    text->push_back('\'');
                    ++m_position;
                    continue;
                }
                return true;
            }
            if (c == '\n') ++m_line;
            text->push_back(c);
        }
        m_line = startLine;  // where the quote opened, not the end of the script
        return Fail("a quoted text does not end");
    }

    /// "= s 'text'"
    bool ReadStringValue(std::string* value) {
        if (!Peek('=')) return Fail("'=' is missing");
        ++m_position;
        std::string type;
        if (!ReadName(&type)) return false;
        if (type != "s") return Fail("only string values ('s') are known, not '" + type + "'");
        SkipBlanks();
        if (m_position >= m_text.size() || m_text[m_position] != '\'')
            return Fail("a value is a quoted text");
        value->clear();
        return ReadQuoted(value);
    }

    /// After a key's name: its default value and its braces, both optional.
    bool ReadBody(RegistryScriptKey* key) {
        if (Peek('=')) {
            key->hasDefault = true;
            if (!ReadStringValue(&key->defaultValue)) return false;
        }
        if (!Peek('{')) return true;
        ++m_position;
        while (!Peek('}')) {
            if (m_position >= m_text.size()) return Fail("'}' is missing");
            std::string word;
            if (!ReadName(&word)) return false;
            if (word == "val") {
                std::pair<std::string, std::string> value;
                if (!ReadName(&value.first) || !ReadStringValue(&value.second)) return false;
                key->values.push_back(std::move(value));
                continue;
            }
            RegistryScriptKey subkey;
            if (word == "NoRemove" || word == "ForceRemove") {
                subkey.noRemove = word == "NoRemove";
                subkey.forceRemove = word == "ForceRemove";
                if (!ReadName(&word)) return false;
            }
            subkey.name = word;
            if (!ReadBody(&subkey)) return false;
            key->subkeys.push_back(std::move(subkey));
        }
        ++m_position;
        return true;
    }

    const std::string& m_text;
    size_t m_position = 0;
    int m_line = 1;
    std::string m_error;
};

}  // namespace

bool ParseRegistryScript(const std::string& text, const std::string& modulePath,
                         std::vector<RegistryScriptKey>* roots, std::string* error) {
    static const std::string kModule = "%MODULE%";
    // The path lands inside quotes: a quote in it is doubled.
    std::string quotedPath;
    for (char c : modulePath) quotedPath += c == '\'' ? std::string("''") : std::string(1, c);
    std::string expanded;
    for (size_t at = 0;;) {
        size_t found = text.find(kModule, at);
        expanded.append(text, at, found == std::string::npos ? std::string::npos : found - at);
        if (found == std::string::npos) break;
        expanded += quotedPath;
        at = found + kModule.size();
    }
    roots->clear();
    ScriptReader reader(expanded);
    if (reader.ReadRoots(roots)) return true;
    roots->clear();
    if (error) *error = reader.Error();
    return false;
}
