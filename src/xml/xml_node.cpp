#include "xml/xml_node.h"

#include <utility>

CXMLNode* CXMLNodeList::item(std::size_t index) const {
    for (const auto& child : m_children) {
        if (index == 0) {
            return child.get();
        }
        --index;
    }
    return nullptr;
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
    // Descendants are moved into one flat list before they die, so a deep tree is released
    // without one nested destructor call per level.
    std::list<std::unique_ptr<CXMLNode>> pending;
    pending.splice(pending.end(), m_children);
    while (!pending.empty()) {
        pending.splice(pending.end(), pending.front()->m_children);
        pending.pop_front();
    }
}
