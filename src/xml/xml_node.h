#pragma once
/// The document tree of the engine's XML reader: a small document object model whose
/// nodes own their children and attributes.

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CXMLNode;
class CXMLAttribute;

/// A view of a node's children; owns nothing.
class CXMLNodeList {
public:
    explicit CXMLNodeList(const std::vector<std::unique_ptr<CXMLNode>>& children)
        : m_children(children) {}

    std::size_t length() const { return m_children.size(); }
    /// Child number `index` (from 0); null past the end.
    CXMLNode* item(std::size_t index) const;

private:
    const std::vector<std::unique_ptr<CXMLNode>>& m_children;
};

/// Attributes by name (byte-wise order); owns them.
class CXMLNamedNodeMap {
public:
    /// Stores the attribute under its name; one of the same name is replaced.
    void setNamedItem(std::unique_ptr<CXMLAttribute> attribute);
    CXMLAttribute* getNamedItem(const std::string& name) const;
    std::size_t length() const { return m_items.size(); }

private:
    std::map<std::string, std::unique_ptr<CXMLAttribute>> m_items;
};

class CXMLNode {
public:
    explicit CXMLNode(std::string name) : m_name(std::move(name)), m_childList(m_children) {}
    virtual ~CXMLNode();
    CXMLNode(const CXMLNode&) = delete;
    CXMLNode& operator=(const CXMLNode&) = delete;

    std::string nodeName() const { return m_name; }
    std::string nodeValue() const { return m_value; }
    bool hasChildNodes() const { return !m_children.empty(); }
    const CXMLNodeList& childNodes() const { return m_childList; }
    CXMLNode* firstChild() const { return m_children.empty() ? nullptr : m_children.front().get(); }
    CXMLNamedNodeMap& attributes() { return m_attributes; }
    const CXMLNamedNodeMap& attributes() const { return m_attributes; }
    /// Adds `child` after the last child; the node owns it from now on.
    void appendChild(std::unique_ptr<CXMLNode> child) { m_children.push_back(std::move(child)); }

protected:
    void setNodeValue(std::string value) { m_value = std::move(value); }

private:
    std::string m_name;
    std::string m_value;
    std::vector<std::unique_ptr<CXMLNode>> m_children;
    CXMLNodeList m_childList;
    CXMLNamedNodeMap m_attributes;
};

class CXMLElement : public CXMLNode {
public:
    explicit CXMLElement(const std::string& tagName) : CXMLNode(tagName), m_tagName(tagName) {}
    const std::string& tagName() const { return m_tagName; }

private:
    std::string m_tagName;
};

class CXMLAttribute : public CXMLNode {
public:
    explicit CXMLAttribute(const std::string& name) : CXMLNode(name), m_attributeName(name) {}
    const std::string& name() const { return m_attributeName; }
    void setValue(std::string value) { setNodeValue(std::move(value)); }

private:
    std::string m_attributeName;
};

class CXMLCharacterData : public CXMLNode {
public:
    const std::string& data() const { return m_data; }
    /// Sets the data and the node value alike.
    void setData(const std::string& data) {
        m_data = data;
        setNodeValue(data);
    }

protected:
    CXMLCharacterData(std::string name, const std::string& data) : CXMLNode(std::move(name)) {
        setData(data);
    }

private:
    std::string m_data;
};

class CXMLText : public CXMLCharacterData {
public:
    explicit CXMLText(const std::string& text) : CXMLCharacterData("#text", text) {}

protected:
    CXMLText(std::string name, const std::string& text)
        : CXMLCharacterData(std::move(name), text) {}
};

class CXMLCDATASection : public CXMLText {
public:
    explicit CXMLCDATASection(const std::string& content) : CXMLText("#cdata", content) {}
};

class CXMLComment : public CXMLCharacterData {
public:
    explicit CXMLComment(const std::string& text) : CXMLCharacterData("#comment", text) {}
};
