#include "config/module_config.h"

#include "base/tavrin_exception.h"
#include "base/whole_file.h"
#include "platform/program.h"
#include "text/ascii_case.h"
#include "text/c_number.h"
#include "xml/xml_parser.h"

namespace {

bool IsYes(const std::string& text) { return text == "yes"; }

/// Calls `visit(name, text)` for every child of `parent` that has child nodes; the text is
/// the value of the child's first child.
template <typename Visit>
void ForEachSetting(const CXMLNode& parent, Visit visit) {
    const CXMLNodeList& children = parent.childNodes();
    for (std::size_t i = 0; i < children.length(); ++i) {
        const CXMLNode* child = children.item(i);
        if (child->hasChildNodes()) visit(child->nodeName(), child->firstChild()->nodeValue());
    }
}

CCommand ReadCommand(const CXMLNode& element) {
    CCommand command;
    ForEachSetting(element, [&command](const std::string& key, const std::string& text) {
        if (key == "name")
            command.name = text;
        else if (key == "html-page")
            command.htmlPage = ToLowerAscii(text);
        else if (key == "file-to-send")
            command.fileToSend = text;
        else if (key == "parse-file")
            command.parseFile = IsYes(text);
        else if (key == "only-lpt1")
            command.onlyLpt1 = IsYes(text);
        else if (key == "write-timeout")
            command.writeTimeout = ParseCNumber(text);
        else if (key == "read-timeout")
            command.readTimeout = ParseCNumber(text);
        else if (key == "backchannel-length")
            command.backchannelLength = ParseCNumber(text);
        else if (key == "backchannel-name")
            command.backchannelName = text;
        else if (key == "parse-backchannel")
            command.parseBackchannel = IsYes(text);
        else if (key == "display-progress")
            command.displayProgress = IsYes(text);
        else if (key == "requires-extra-xml-info")
            command.requiresExtraXmlInfo = IsYes(text);
    });
    return command;
}

}  // namespace

CModuleConfig::CModuleConfig(std::string moduleName, std::string moduleDirectory)
    : m_moduleName(std::move(moduleName)), m_moduleDirectory(std::move(moduleDirectory)) {}

std::string CModuleConfig::ModuleXmlPath(const std::string& moduleDirectory) {
    return moduleDirectory + platform::PathSeparator() + "module.xml";
}

void CModuleConfig::Load() {
    std::string bytes;
    if (!ReadWholeFile(ModuleXmlPath(m_moduleDirectory), &bytes))
        throw new CModuleXMLFileDoesNotExist;
    LoadFromBytes(bytes);
}

void CModuleConfig::LoadFromBytes(const std::string& bytes) {
    CXMLDocument document;
    if (!ParseWellFormed(bytes, document)) throw new CModuleXMLNotWellFormed;
    const CXMLNodeList& children = document.documentElement()->childNodes();
    for (std::size_t i = 0; i < children.length(); ++i) {
        const CXMLNode* child = children.item(i);
        if (child->nodeName() == "commands") {
            AddCommands(*child);
        } else if (child->hasChildNodes()) {
            ApplyTopLevelKey(child->nodeName(), child->firstChild()->nodeValue());
        }
    }
}

void CModuleConfig::ApplyTopLevelKey(const std::string& key, const std::string& text) {
    if (key == "SMM-version") {
        m_smmVersion = text;
    } else if (key == "exit-page") {
        m_exitPage = text;
    } else if (key == "fmw-location") {
        m_firmwareLocation = text;
    } else if (key == "troubleshoot-url") {
        m_troubleshootingAddress = text;
    } else if (key == "log-to-file") {
        m_logToFile = IsYes(text);
    } else if (key == "show-ui") {
        m_showUI = IsYes(text);
    } else if (key == "prod-number-file") {
        m_productNumberFile = text;
    } else if (key == "default-start-page") {
        m_defaultStartPage = text.empty() ? "MainMenu.html" : text;
    } else if (key == "product-number-timeout") {
        m_productNumberTimeout = ParseCNumber(text);
    }
}

void CModuleConfig::AddCommands(const CXMLNode& commands) {
    const CXMLNodeList& children = commands.childNodes();
    for (std::size_t i = 0; i < children.length(); ++i) {
        const CXMLNode* child = children.item(i);
        if (child->nodeName() != "command") continue;
        CCommand command = ReadCommand(*child);
        // The first command bound to a page wins.
        m_commands.emplace(command.htmlPage, command);
    }
}

bool CModuleConfig::FindCommand(const std::string& htmlPage, CCommand* command) const {
    auto found = m_commands.find(htmlPage);
    if (found == m_commands.end()) return false;
    *command = found->second;
    return true;
}
