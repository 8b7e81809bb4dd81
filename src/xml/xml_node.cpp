#include "xml/xml_node.h"

#include <utility>

CXMLNode* CXMLNodeList::item(std::size_t index) const {
    return index < m_children.size() ? m_children[index].get() : nullptr;
}

void CXMLNamedNodeMap::setNamedItem(std::unique_ptr<CXMLAttribute> attribute) {
    if (!attribute) {
        return;
    }
    const std::string key = attribute->name();
    m_items[key] = std::move(attribute);
}

CXMLAttribute* CXMLNamedNodeMap::getNamedItem(const std::string& name) const {
    const auto found = m_items.find(name);
    return found == m_items.end() ? nullptr : found->second.get();
}

CXMLNode::~CXMLNode() {
    // Descendants are taken out of their parents before they die, so a deep tree is released
    // without one nested destructor call per level.
    std::vector<std::unique_ptr<CXMLNode>> pending = std::move(m_children);
    while (!pending.empty()) {
        std::unique_ptr<CXMLNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->m_children) pending.push_back(std::move(child));
        node->m_children.clear();
    }
}
