// Start-up configuration: the registry's module and product lists, the params file and the
// chosen module's "module.xml".

#include <set>

#include "base/log.h"
#include "base/tavrin_exception.h"
#include "config/params_file.h"
#include "engine/engine.h"
#include "pages/printer_port.h"
#include "platform/registry.h"

using engine_log::Line;

namespace {

const char* const kDefaultModuleName = "brenna";
const char* const kDefaultModuleDirectory = "orvik plotara 310ps 320ps 350ps";
constexpr std::size_t kRegistryBufferSize = 260;

/// Calls `visit(name, data)` for every string value of the key, in the registry's order.
/// A key that cannot be opened with full access reads as a key without values.
template <typename Visit>
void ForEachStringValue(const std::string& path, Visit visit) {
    auto key = platform::RegistryKey::Open(platform::RegistryRoot::LocalMachine, path,
                                           platform::RegistryAccess::Full);
    if (!key) return;
    for (std::uint32_t index = 0;; ++index) {
        platform::RegistryValue value;
        platform::RegistryStatus status =
            key->EnumValue(index, kRegistryBufferSize, kRegistryBufferSize, &value);
        // A value too long for the buffers cannot name a module or a directory; skip it
        // rather than lose every value after it.
        if (status == platform::RegistryStatus::MoreData) continue;
        if (status != platform::RegistryStatus::Ok) break;
        if (value.type == platform::RegistryType::String) visit(value.name, value.data);
    }
}

}  // namespace

void CEngine::FindInstalledModules() {
    SetPageVariable("current-os", "win");
    const std::string root = kInstallationKey;

    ForEachStringValue(root + "\\SMM", [this](const std::string& name, const std::string& data) {
        m_installedModules.emplace(name, data);
    });
    if (m_installedModules.empty()) throw new CNoSMMInstalled;

    std::set<std::string> usedModules;
    ForEachStringValue(root + "\\ProdNumbers",
                       [&](const std::string& product, const std::string& module) {
                           if (m_installedModules.count(module) == 0) return;
                           usedModules.insert(module);
                           m_supportedProducts.emplace(product, module);
                       });
    if (m_supportedProducts.empty()) throw new CNoProductSupported;

    for (auto it = m_installedModules.begin(); it != m_installedModules.end();) {
        it = usedModules.count(it->first) ? std::next(it) : m_installedModules.erase(it);
    }
    if (m_installedModules.empty()) throw new CNoProductSupported;
}

void CEngine::LoadConfiguration() {
    CParamsFile params;
    params.Read();
    engine_log::Log(Line::Forced, "printer name = %1", params.GetPrinterName());
    engine_log::Log(Line::Forced, "printer type = %1", params.GetConnectionType());
    engine_log::Log(Line::Forced, "printer address = %1", params.GetPrinterAddress());

    m_printerType = params.GetConnectionType();
    m_printerName = params.GetPrinterName();
    m_printerAddress = params.GetPrinterAddress();
    SetPageVariable("prttype", m_printerType);
    SetPageVariable("prtname", m_printerName);
    SetPageVariable("prtaddr", m_printerAddress);

    std::string moduleName = params.GetModuleName();
    std::string moduleDirectory;
    if (moduleName.empty()) {
        moduleName = kDefaultModuleName;
        moduleDirectory = kDefaultModuleDirectory;
        engine_log::Log(Line::Forced, "module = (default - %1)", moduleName);
        engine_log::Log(Line::Forced, "module directory = (default - %1)", moduleDirectory);
    } else {
        auto installed = m_installedModules.find(moduleName);
        if (installed == m_installedModules.end()) {
            SetPageVariable("module", moduleName);
            throw new CModuleNotInstalled;
        }
        moduleDirectory = installed->second;
        engine_log::Log(Line::Forced, "module = %1", moduleName);
        engine_log::Log(Line::Forced, "module directory = %1", moduleDirectory);
    }
    SetPageVariable("module", moduleName);
    SetPageVariable("module-dir", moduleDirectory);

    // Owned before it is loaded, so that a failing "module.xml" is reported with the module's
    // directory.
    m_moduleConfig = std::make_unique<CModuleConfig>(moduleName, moduleDirectory);
    m_moduleConfig->Load();
    engine_log::SetLoggingToFile(m_moduleConfig->GetLogToFile());

    SetPageVariable("SMM-version", m_moduleConfig->GetSMMVersion());
    SetPageVariable("fmw-url", m_moduleConfig->GetFirmwareLocation());
    SetPageVariable("troubleshoot-url", m_moduleConfig->GetTroubleshootingAddress());

    std::string startPage = params.GetStartPage();
    if (startPage.empty()) startPage = m_moduleConfig->GetDefaultStartPage();
    engine_log::Log(Line::Forced, "start-page = %1", startPage);
    SetStartAddress(startPage, true);

    m_printerPort = std::make_shared<CPrinterPort>();
    m_printerPort->SetUpFrom(m_printerType, m_printerName, m_printerAddress);
}
