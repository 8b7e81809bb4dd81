#include "xml/xml_document.h"

std::unique_ptr<CXMLElement> CXMLDocument::createElement(const std::string& name) const {
    return std::make_unique<CXMLElement>(name);
}

std::unique_ptr<CXMLAttribute> CXMLDocument::createAttribute(const std::string& name) const {
    return std::make_unique<CXMLAttribute>(name);
}

std::unique_ptr<CXMLText> CXMLDocument::createTextNode(const std::string& text) const {
    return std::make_unique<CXMLText>(text);
}

std::unique_ptr<CXMLComment> CXMLDocument::createComment(const std::string& text) const {
    return std::make_unique<CXMLComment>(text);
}

std::unique_ptr<CXMLCDATASection> CXMLDocument::createCDATASection(const std::string& text) const {
    return std::make_unique<CXMLCDATASection>(text);
}
