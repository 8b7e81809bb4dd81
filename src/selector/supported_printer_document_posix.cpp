// Over the engine's own XML reader, read the way the Windows document object reads: text that
// is only white space between elements is no node.

#include <cctype>

#include "base/whole_file.h"
#include "selector/supported_printer_document.h"
#include "xml/xml_document.h"
#include "xml/xml_parser.h"

namespace {

bool IsWhiteSpaceText(const CXMLNode& node) {
    // CDATA sections are kept whatever they hold.
    if (node.nodeName() != "#text") return false;
    for (const char c : node.nodeValue()) {
        if (!std::isspace(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

// Child number `index` of `parent`, white-space text left out; null past the end.
const CXMLNode* ChildAt(const CXMLNode& parent, long index) {
    const CXMLNodeList& children = parent.childNodes();
    long seen = 0;
    for (std::size_t i = 0; i < children.length(); ++i) {
        const CXMLNode* child = children.item(i);
        if (IsWhiteSpaceText(*child)) continue;
        if (seen++ == index) return child;
    }
    return nullptr;
}

long ChildCount(const CXMLNode& parent) {
    long count = 0;
    while (ChildAt(parent, count) != nullptr) ++count;
    return count;
}

class ReaderDocument : public SupportedPrinterDocument {
public:
    bool Load(const std::string& path) override {
        std::string bytes;
        if (!ReadWholeFile(path, &bytes)) return false;
        m_document = std::make_unique<CXMLDocument>();
        return ParseWellFormed(bytes, *m_document);
    }

    bool CountPrinters(long* count) override {
        const CXMLElement* root = Root();
        if (root == nullptr) return false;
        *count = ChildCount(*root);
        return true;
    }

    SupportedPrinterRead ReadPrinter(long index, SupportedPrinterTexts* texts) override {
        const CXMLElement* root = Root();
        const CXMLNode* printer = root == nullptr ? nullptr : ChildAt(*root, index);
        if (printer == nullptr) return SupportedPrinterRead::NoChildList;
        std::string* const fields[] = {&texts->model, &texts->displayName, &texts->colorStart};
        for (long i = 0; i < 3; ++i) {
            const CXMLNode* child = ChildAt(*printer, i);
            const CXMLNode* first = child == nullptr ? nullptr : child->firstChild();
            if (first == nullptr) return SupportedPrinterRead::NoFirstChild;
            // An element has no value of its own.
            if (dynamic_cast<const CXMLElement*>(first) != nullptr) {
                return SupportedPrinterRead::NoNodeValue;
            }
            *fields[i] = first->nodeValue();
        }
        return SupportedPrinterRead::Ok;
    }

private:
    const CXMLElement* Root() const { return m_document ? m_document->documentElement() : nullptr; }

    std::unique_ptr<CXMLDocument> m_document;
};

}  // namespace

std::unique_ptr<SupportedPrinterDocument> SupportedPrinterDocument::Create() {
    return std::make_unique<ReaderDocument>();
}
