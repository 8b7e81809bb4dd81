#pragma once
/// The configuration of the served module, read once from its "module.xml".

#include <map>
#include <string>

#include "config/command.h"

class CXMLNode;

class CModuleConfig {
public:
    CModuleConfig(std::string moduleName, std::string moduleDirectory);
    virtual ~CModuleConfig() = default;

    /// Reads "<module directory>/module.xml" relative to the current directory.
    /// Throws `CModuleXMLFileDoesNotExist*` or `CModuleXMLNotWellFormed*`.
    void Load();
    /// The same for a document already in memory (the file's bytes).
    void LoadFromBytes(const std::string& bytes);

    std::string GetModuleName() const { return m_moduleName; }
    std::string GetModuleDirectory() const { return m_moduleDirectory; }
    std::string GetSMMVersion() const { return m_smmVersion; }
    std::string GetExitPage() const { return m_exitPage; }
    std::string GetFirmwareLocation() const { return m_firmwareLocation; }
    std::string GetTroubleshootingAddress() const { return m_troubleshootingAddress; }
    bool GetLogToFile() const { return m_logToFile; }
    bool GetShowUI() const { return m_showUI; }
    std::string GetProductNumberFile() const { return m_productNumberFile; }
    int GetProductNumberTimeout() const { return m_productNumberTimeout; }
    std::string GetDefaultStartPage() const { return m_defaultStartPage; }
    std::size_t GetCommandCount() const { return m_commands.size(); }

    /// The command bound to `htmlPage` (already lower case); false when there is none.
    bool FindCommand(const std::string& htmlPage, CCommand* command) const;

    /// Path of "module.xml" for a module directory, with the platform's separator.
    static std::string ModuleXmlPath(const std::string& moduleDirectory);

private:
    void ApplyTopLevelKey(const std::string& key, const std::string& text);
    void AddCommands(const CXMLNode& commands);

    std::string m_moduleName;
    std::string m_moduleDirectory;
    std::string m_smmVersion;
    std::string m_exitPage;
    std::string m_firmwareLocation;
    std::string m_troubleshootingAddress;
    bool m_logToFile = false;
    // Without a "show-ui" element a module gets its browser: a module that shows nothing
    // must say so.
    bool m_showUI = true;
    std::string m_productNumberFile;
    int m_productNumberTimeout = 0;
    std::string m_defaultStartPage = "MainMenu.html";
    std::map<std::string, CCommand> m_commands;
};
