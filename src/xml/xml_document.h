#pragma once
/// An XML document: the root element and the factory for new nodes.

#include <memory>
#include <string>

#include "xml/xml_node.h"

class CXMLDocument {
public:
    CXMLDocument() = default;
    virtual ~CXMLDocument() = default;

    /// The root element, or null until a parse has succeeded.
    CXMLElement* documentElement() const { return m_root.get(); }
    void setDocumentElement(std::unique_ptr<CXMLElement> root) { m_root = std::move(root); }

    std::unique_ptr<CXMLElement> createElement(const std::string& name) const;
    std::unique_ptr<CXMLAttribute> createAttribute(const std::string& name) const;
    std::unique_ptr<CXMLText> createTextNode(const std::string& text) const;
    std::unique_ptr<CXMLComment> createComment(const std::string& text) const;
    std::unique_ptr<CXMLCDATASection> createCDATASection(const std::string& text) const;

private:
    std::unique_ptr<CXMLElement> m_root;
};
