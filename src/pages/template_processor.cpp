#include "pages/template_processor.h"

#include <cstddef>
#include <cstring>
#include <string>

#include "pages/page_context.h"
#include "pages/page_variables.h"
#include "text/ascii_case.h"
#include "text/url_coding.h"

namespace {

constexpr int kEndOfInput = -1;

/// Collects output bytes and hands them to the stream in large pieces.
class ByteWriter {
public:
    explicit ByteWriter(std::ostream& output) : m_output(output) {}

    void Append(const char* bytes, std::size_t count) {
        m_pending.append(bytes, count);
        if (m_pending.size() >= kPieceSize) Flush();
    }
    void Append(const std::string& text) { Append(text.data(), text.size()); }

    void Flush() {
        if (m_pending.empty()) return;
        m_output.write(m_pending.data(), static_cast<std::streamsize>(m_pending.size()));
        m_pending.clear();
    }

private:
    static constexpr std::size_t kPieceSize = 4096;
    std::ostream& m_output;
    std::string m_pending;
};

/// Reads the input through a buffer of its own, so scanning costs no stream call per byte.
class ByteReader {
public:
    explicit ByteReader(std::istream& input) : m_input(input) {}
    ByteReader(const ByteReader&) = delete;
    ByteReader& operator=(const ByteReader&) = delete;

    /// The next byte (0 to 255) without taking it, or kEndOfInput.
    int Peek() {
        if (m_next == m_end && !Fill()) return kEndOfInput;
        return static_cast<unsigned char>(*m_next);
    }

    /// Takes the next byte (0 to 255), or returns kEndOfInput.
    int Next() {
        const int byte = Peek();
        if (byte != kEndOfInput) ++m_next;
        return byte;
    }

    /// Takes bytes up to and including `stop`; those before it go to `sink` unless it is null.
    /// False when the input ended first.
    bool ScanTo(char stop, ByteWriter* sink) {
        while (m_next != m_end || Fill()) {
            const std::size_t available = static_cast<std::size_t>(m_end - m_next);
            const char* found = static_cast<const char*>(std::memchr(m_next, stop, available));
            const char* last = found != nullptr ? found : m_end;
            if (sink != nullptr) sink->Append(m_next, static_cast<std::size_t>(last - m_next));
            if (found != nullptr) {
                m_next = found + 1;
                return true;
            }
            m_next = m_end;
        }
        return false;
    }

    /// Drops everything that is left.
    void SkipRest() {
        while (m_next != m_end || Fill()) m_next = m_end;
    }

private:
    bool Fill() {
        if (m_exhausted) return false;
        m_input.read(m_buffer, sizeof m_buffer);
        const std::streamsize count = m_input.gcount();
        if (count <= 0) {
            m_exhausted = true;
            return false;
        }
        m_next = m_buffer;
        m_end = m_buffer + count;
        return true;
    }

    std::istream& m_input;
    char m_buffer[4096];
    const char* m_next = m_buffer;
    const char* m_end = m_buffer;
    bool m_exhausted = false;
};

/// The words that end a branch body. Inside a body only their lower-case spelling counts.
enum class Branch { None, Case, Else, End, EndOfInput };

Branch BranchWord(const std::string& word) {
    if (word == "case") return Branch::Case;
    if (word == "else") return Branch::Else;
    if (word == "end") return Branch::End;
    return Branch::None;
}

/// One run of the language over one input. Depths count the choices around the current point,
/// taken or skipped alike; the top level is depth 0.
class Expansion {
public:
    Expansion(CPageContext& context, TextMap& variables, std::istream& input, std::ostream& output)
        : m_context(context), m_variables(variables), m_reader(input), m_writer(output) {}

    void Run() {
        while (ToTag(&m_writer)) Act(ToLowerAscii(ReadWord()), 0);
        m_writer.Flush();
    }

private:
    /// Copies (or, with a null sink, skips) text up to and including the next "[[". A lone "["
    /// goes out with the byte after it; one at the very end of the input is dropped.
    bool ToTag(ByteWriter* sink) {
        while (m_reader.ScanTo('[', sink)) {
            const int next = m_reader.Next();
            if (next == '[') return true;
            if (next == kEndOfInput) return false;
            if (sink != nullptr) {
                const char pair[2] = {'[', static_cast<char>(next)};
                sink->Append(pair, 2);
            }
        }
        return false;
    }

    bool SkipToTag() { return ToTag(nullptr); }

    /// A keyword, name or value: ends at a blank, which is taken, or before a "]".
    std::string ReadWord() {
        std::string word;
        for (;;) {
            const int byte = m_reader.Peek();
            if (byte == kEndOfInput || byte == ']') break;
            m_reader.Next();
            if (byte == ' ') break;
            word.push_back(static_cast<char>(byte));
        }
        return word;
    }

    /// Blanks belong to a case value; it ends before a "]".
    std::string ReadCaseValue() {
        std::string value;
        for (int byte = m_reader.Peek(); byte != kEndOfInput && byte != ']';
             byte = m_reader.Peek()) {
            value.push_back(static_cast<char>(m_reader.Next()));
        }
        return value;
    }

    /// Drops everything up to and including the next "]]".
    void CloseTag() {
        while (m_reader.ScanTo(']', nullptr)) {
            const int next = m_reader.Next();
            if (next == ']' || next == kEndOfInput) return;
        }
    }

    /// Carries out a tag whose (lower-cased) keyword has just been read.
    void Act(const std::string& keyword, int depth) {
        if (keyword == "display" || keyword == "param" || keyword == "if") {
            const std::string name = ReadWord();
            // A copy: a "set" inside the choice may replace the entry.
            const std::string value = LookUpVariable(m_variables, name);
            CloseTag();
            if (keyword == "display") {
                m_writer.Append(value);
            } else if (keyword == "param") {
                m_writer.Append(UrlEncode(value));
            } else {
                Choice(value, depth + 1);
            }
        } else if (keyword == "set") {
            const std::string name = ReadWord();
            CloseTag();
            Assign(name);
        } else {
            CloseTag();
        }
    }

    void Assign(const std::string& name) {
        if (!SkipToTag()) return;
        if (ToLowerAscii(ReadWord()) != "value") {
            CloseTag();
            return;
        }
        const std::string value = ReadWord();
        CloseTag();
        m_variables[name] = value;
        m_context.SetPageVariable(name, value);
    }

    /// Skips to the first branch word of a choice; until then it may be written in any case, and
    /// every other tag is dropped. The tag of the word returned is not closed yet.
    Branch FirstBranch() {
        while (SkipToTag()) {
            const Branch branch = BranchWord(ToLowerAscii(ReadWord()));
            if (branch != Branch::None) return branch;
            CloseTag();
        }
        return Branch::EndOfInput;
    }

    void Choice(const std::string& value, int depth) {
        if (depth > kMaxChoiceDepth) {
            m_reader.SkipRest();
            return;
        }
        Branch branch = FirstBranch();
        for (;;) {
            switch (branch) {
                case Branch::None:
                case Branch::EndOfInput:
                    return;
                case Branch::End:
                    CloseTag();
                    return;
                case Branch::Else:
                    CloseTag();
                    FinishTakenBranch(Body(depth), depth);
                    return;
                case Branch::Case: {
                    const bool taken = ReadCaseValue() == value;
                    CloseTag();
                    if (taken) {
                        FinishTakenBranch(Body(depth), depth);
                        return;
                    }
                    branch = SkipBody(depth);
                    break;
                }
            }
        }
    }

    /// Expands a branch up to the branch word that ends it, whose tag is left open.
    Branch Body(int depth) {
        while (ToTag(&m_writer)) {
            const std::string word = ReadWord();
            const Branch branch = BranchWord(word);
            if (branch != Branch::None) return branch;
            Act(ToLowerAscii(word), depth);
        }
        return Branch::EndOfInput;
    }

    /// After the taken branch, the rest of the choice up to its "end" is dropped.
    void FinishTakenBranch(Branch ending, int depth) {
        if (ending == Branch::EndOfInput) return;
        CloseTag();
        if (ending != Branch::End) SkipToMatchingEnd(depth);
    }

    /// Drops a branch up to the branch word that ends it, whose tag is left open.
    Branch SkipBody(int depth) {
        while (SkipToTag()) {
            const std::string word = ReadWord();
            const Branch branch = BranchWord(word);
            if (branch != Branch::None) return branch;
            CloseTag();
            if (ToLowerAscii(word) == "if") SkipChoice(depth + 1);
        }
        return Branch::EndOfInput;
    }

    void SkipToMatchingEnd(int depth) {
        while (SkipToTag()) {
            const std::string word = ReadWord();
            CloseTag();
            if (word == "end") return;
            if (ToLowerAscii(word) == "if") SkipChoice(depth + 1);
        }
    }

    /// Drops a whole nested choice, finding its "end" by the same rules as when it is taken.
    void SkipChoice(int depth) {
        if (depth > kMaxChoiceDepth) {
            m_reader.SkipRest();
            return;
        }
        Branch branch = FirstBranch();
        while (branch == Branch::Case || branch == Branch::Else) {
            CloseTag();
            branch = SkipBody(depth);
        }
        if (branch == Branch::End) CloseTag();
    }

    CPageContext& m_context;
    TextMap& m_variables;
    ByteReader m_reader;
    ByteWriter m_writer;
};

}  // namespace

CTemplateProcessor::CTemplateProcessor(CPageContext& context, TextMap& variables)
    : m_context(context), m_variables(variables) {}

CTemplateProcessor::~CTemplateProcessor() = default;

void CTemplateProcessor::Expand(std::istream& input, std::ostream& output) {
    Expansion expansion(m_context, m_variables, input, output);
    expansion.Run();
}
