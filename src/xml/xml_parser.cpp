#include "xml/xml_parser.h"

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "xml/xml_not_well_formed.h"

namespace {

[[noreturn]] void Fail() { throw new CXMLNotWellFormed(); }

bool IsWhiteSpace(int c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

bool IsLetter(int c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= 0xC0 && c <= 0xD6) ||
           (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0xFF);
}

bool IsDigit(int c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(int c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool IsNameCharacter(int c) {
    return IsLetter(c) || IsDigit(c) || c == 0xB7 || c == '-' || c == '.' || c == ':' || c == '_';
}

/// The only bytes allowed in comments, CDATA sections and processing instructions.
bool IsPlainCharacter(int c) {
    return c == '\t' || c == '\n' || c == '\r' || (c >= 0x20 && c <= 0x7F);
}

/// One byte; the end of the stream is always premature where a byte is wanted.
int Read(CXMLByteStream& stream) {
    const int c = stream.Get();
    if (c < 0) {
        Fail();
    }
    return c;
}

int ReadPlain(CXMLByteStream& stream) {
    const int c = Read(stream);
    if (!IsPlainCharacter(c)) {
        Fail();
    }
    return c;
}

void Expect(CXMLByteStream& stream, int wanted) {
    if (Read(stream) != wanted) {
        Fail();
    }
}

/// Stops before the first byte that is not white space; the end of the stream is no error here.
void SkipWhiteSpace(CXMLByteStream& stream) {
    for (;;) {
        const int c = stream.Get();
        if (c < 0) {
            return;
        }
        if (!IsWhiteSpace(c)) {
            stream.PushBack(c);
            return;
        }
    }
}

/// An empty result means no name starts here. One white-space byte after the name is consumed.
std::string ReadName(CXMLByteStream& stream) {
    std::string name;
    int c = Read(stream);
    if (!IsLetter(c) && c != '_' && c != '.') {
        stream.PushBack(c);
        return name;
    }
    do {
        name += static_cast<char>(c);
        c = Read(stream);
    } while (IsNameCharacter(c));
    if (!IsWhiteSpace(c)) {
        stream.PushBack(c);
    }
    return name;
}

/// Checks the reference after "&" and appends it as written, ";" included.
void ReadReference(CXMLByteStream& stream, std::string& out) {
    int c = Read(stream);
    out += static_cast<char>(c);
    bool (*isPart)(int) = IsNameCharacter;
    if (c == '#') {
        c = Read(stream);
        out += static_cast<char>(c);
        isPart = IsDigit;
        if (c == 'x') {
            c = Read(stream);
            out += static_cast<char>(c);
            isPart = IsHexDigit;
        }
        if (!isPart(c)) {
            Fail();
        }
    } else if (!IsLetter(c) && c != '_' && c != ':') {
        Fail();
    }
    for (;;) {
        c = Read(stream);
        out += static_cast<char>(c);
        if (c == ';') {
            return;
        }
        if (!isPart(c)) {
            Fail();
        }
    }
}

/// Text up to the next "<", which is left in the stream.
std::string ReadText(CXMLByteStream& stream) {
    std::string text;
    int closingBrackets = 0;
    for (;;) {
        const int c = Read(stream);
        if (c == '<') {
            stream.PushBack(c);
            return text;
        }
        if (c == '&') {
            text += '&';
            ReadReference(stream, text);
            closingBrackets = 0;
            continue;
        }
        if (c == '>' && closingBrackets >= 2) {
            Fail();
        }
        closingBrackets = c == ']' ? closingBrackets + 1 : 0;
        text += static_cast<char>(c);
    }
}

std::string ReadQuotedValue(CXMLByteStream& stream) {
    const int quote = Read(stream);
    if (quote != '"' && quote != '\'') {
        Fail();
    }
    std::string value;
    for (;;) {
        const int c = Read(stream);
        if (c == quote) {
            return value;
        }
        if (c == '>') {
            Fail();
        }
        value += static_cast<char>(c);
        if (c == '&') {
            ReadReference(stream, value);
        }
    }
}

/// After "<!--", through "-->".
std::string ReadComment(CXMLByteStream& stream) {
    std::string text;
    for (;;) {
        const int c = ReadPlain(stream);
        if (c == '-') {
            const int next = ReadPlain(stream);
            if (next == '-') {
                Expect(stream, '>');
                return text;
            }
            text += '-';
            text += static_cast<char>(next);
            continue;
        }
        text += static_cast<char>(c);
    }
}

/// After "<![CDATA[", through "]]>".
std::string ReadCDATASection(CXMLByteStream& stream) {
    std::string content;
    std::size_t closingBrackets = 0;
    for (;;) {
        const int c = ReadPlain(stream);
        if (c == ']') {
            ++closingBrackets;
            continue;
        }
        if (c == '>' && closingBrackets >= 2) {
            content.append(closingBrackets - 2, ']');
            return content;
        }
        content.append(closingBrackets, ']');
        closingBrackets = 0;
        content += static_cast<char>(c);
    }
}

/// After "<?", through "?>"; nothing of it is kept.
void SkipProcessingInstruction(CXMLByteStream& stream) {
    bool afterQuestionMark = false;
    for (;;) {
        const int c = ReadPlain(stream);
        if (afterQuestionMark && c == '>') {
            return;
        }
        afterQuestionMark = c == '?';
    }
}

/// After "<": the name, the attributes and ">" or "/>".
std::unique_ptr<CXMLElement> ParseStartTag(CXMLByteStream& stream, const CXMLDocument& document,
                                           bool& isEmpty) {
    std::unique_ptr<CXMLElement> element = document.createElement(ReadName(stream));
    for (;;) {
        SkipWhiteSpace(stream);
        const std::string name = ReadName(stream);
        if (name.empty()) {
            break;
        }
        SkipWhiteSpace(stream);
        Expect(stream, '=');
        SkipWhiteSpace(stream);
        std::unique_ptr<CXMLAttribute> attribute = document.createAttribute(name);
        attribute->setValue(ReadQuotedValue(stream));
        element->attributes().setNamedItem(std::move(attribute));
    }
    SkipWhiteSpace(stream);
    int c = Read(stream);
    isEmpty = c == '/';
    if (isEmpty) {
        c = Read(stream);
    }
    if (c != '>') {
        Fail();
    }
    return element;
}

void AppendText(CXMLByteStream& stream, const CXMLDocument& document, CXMLElement& parent) {
    const std::string text = ReadText(stream);
    if (!text.empty()) {
        parent.appendChild(document.createTextNode(text));
    }
}

/// After "<!": a comment or a CDATA section.
void AppendMarkup(CXMLByteStream& stream, const CXMLDocument& document, CXMLElement& parent) {
    const int c = Read(stream);
    if (c == '-') {
        Expect(stream, '-');
        const std::string text = ReadComment(stream);
        if (!text.empty()) {
            parent.appendChild(document.createComment(text));
        }
        return;
    }
    if (c != '[') {
        Fail();
    }
    for (const char* rest = "CDATA["; *rest != '\0'; ++rest) {
        Expect(stream, static_cast<unsigned char>(*rest));
    }
    const std::string content = ReadCDATASection(stream);
    if (!content.empty()) {
        parent.appendChild(document.createCDATASection(content));
    }
}

enum class EContentItem { kOther, kChildStartTag, kEndTag };

/// One item of `element`'s content. For a child, its "<" has been read again on return.
EContentItem ParseContentItem(CXMLByteStream& stream, const CXMLDocument& document,
                              CXMLElement& element) {
    SkipWhiteSpace(stream);
    int c = Read(stream);
    if (c != '<') {
        stream.PushBack(c);
        AppendText(stream, document, element);
        return EContentItem::kOther;
    }
    c = Read(stream);
    switch (c) {
        case '/':
            if (ReadName(stream) != element.tagName()) {
                Fail();
            }
            Expect(stream, '>');
            return EContentItem::kEndTag;
        case '?':
            SkipProcessingInstruction(stream);
            return EContentItem::kOther;
        case '!':
            AppendMarkup(stream, document, element);
            return EContentItem::kOther;
        default:
            // The child is read by the same routine as the root, from its "<" on.
            stream.PushBack(c);
            stream.PushBack('<');
            Expect(stream, '<');
            return EContentItem::kChildStartTag;
    }
}

/// Entered after the root's "<". Iterative, so the call depth stays flat whatever the nesting.
std::unique_ptr<CXMLElement> ParseElementTree(CXMLByteStream& stream,
                                              const CXMLDocument& document) {
    // Open elements, innermost last; each joins its parent once its end tag has been read.
    std::vector<std::unique_ptr<CXMLElement>> open;
    bool atStartTag = true;
    for (;;) {
        std::unique_ptr<CXMLElement> complete;
        if (atStartTag) {
            atStartTag = false;
            if (open.size() >= static_cast<std::size_t>(CXMLParser::kMaxDepth)) {
                Fail();
            }
            bool isEmpty = false;
            std::unique_ptr<CXMLElement> element = ParseStartTag(stream, document, isEmpty);
            if (isEmpty) {
                complete = std::move(element);
            } else {
                open.push_back(std::move(element));
                SkipWhiteSpace(stream);
                AppendText(stream, document, *open.back());
            }
        } else {
            switch (ParseContentItem(stream, document, *open.back())) {
                case EContentItem::kChildStartTag:
                    atStartTag = true;
                    break;
                case EContentItem::kEndTag:
                    complete = std::move(open.back());
                    open.pop_back();
                    break;
                case EContentItem::kOther:
                    break;
            }
        }
        if (complete) {
            if (open.empty()) {
                return complete;
            }
            open.back()->appendChild(std::move(complete));
        }
    }
}

}  // namespace

void CXMLParser::parse(CXMLByteStream& stream) {
    m_document.setDocumentElement(nullptr);
    SkipWhiteSpace(stream);
    Expect(stream, '<');
    const int c = Read(stream);
    if (c == '?') {
        SkipProcessingInstruction(stream);
        SkipWhiteSpace(stream);
        Expect(stream, '<');
    } else {
        stream.PushBack(c);
    }
    m_document.setDocumentElement(ParseElementTree(stream, m_document));
}

bool ParseWellFormed(const std::string& bytes, CXMLDocument& document) {
    try {
        CXMLByteStream stream(bytes);
        CXMLParser(document).parse(stream);
    } catch (CXMLNotWellFormed* caught) {
        delete caught;
        return false;
    }
    return true;
}
