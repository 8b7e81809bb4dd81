#pragma once
/// The engine's XML reader: one optional processing instruction, one root element with
/// attributes, text, comments and CDATA sections. Text is kept byte for byte; references
/// are checked but never replaced.

#include "xml/xml_byte_stream.h"
#include "xml/xml_document.h"

class CXMLParser {
public:
    /// Elements nested deeper than this are refused, so hostile input cannot exhaust the stack.
    static constexpr int kMaxDepth = 256;

    explicit CXMLParser(CXMLDocument& document) : m_document(document) {}
    virtual ~CXMLParser() = default;

    /// Builds the tree from the stream's current position and sets the document's root.
    /// Throws `CXMLNotWellFormed*` on any error; the document then keeps no root.
    void parse(CXMLByteStream& stream);

private:
    CXMLDocument& m_document;
};

/// Parses `bytes` into `document`; false, with no root, when they are not well formed.
bool ParseWellFormed(const std::string& bytes, CXMLDocument& document);
