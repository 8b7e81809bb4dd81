// Parses arbitrary bytes and walks whatever tree results.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "xml/xml_byte_stream.h"
#include "xml/xml_document.h"
#include "xml/xml_node.h"
#include "xml/xml_not_well_formed.h"
#include "xml/xml_parser.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

/// Visits every node without recursion and checks the tree's own invariants.
void Walk(const CXMLElement& root) {
    std::vector<std::pair<const CXMLNode*, int>> pending{{&root, 1}};
    while (!pending.empty()) {
        const CXMLNode* node = pending.back().first;
        const int depth = pending.back().second;
        pending.pop_back();
        Check(depth <= CXMLParser::kMaxDepth);
        const std::string name = node->nodeName();
        const std::string value = node->nodeValue();
        if (!name.empty() && name[0] == '#') {
            Check(!node->hasChildNodes() && !value.empty());
            Check(name != "#text" || value.find("]]>") == std::string::npos);
        }
        const CXMLNodeList& children = node->childNodes();
        Check(node->hasChildNodes() == (children.length() != 0));
        Check(children.item(children.length()) == nullptr);
        Check(children.length() == 0 || node->firstChild() == children.item(0));
        for (std::size_t i = 0; i < children.length(); ++i) {
            const CXMLNode* child = children.item(i);
            Check(child != nullptr);
            pending.emplace_back(child, depth + 1);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CXMLByteStream stream(reinterpret_cast<const char*>(data), size);
    CXMLDocument document;
    CXMLParser parser(document);
    try {
        parser.parse(stream);
    } catch (CXMLNotWellFormed* error) {
        delete error;
        Check(document.documentElement() == nullptr);
        return 0;
    }
    Check(document.documentElement() != nullptr);
    Walk(*document.documentElement());
    return 0;
}
