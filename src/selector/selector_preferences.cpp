#include "selector/selector_preferences.h"

#include <cstdint>

#include "platform/registry.h"
#include "selector/selector_log.h"

using platform::RegistryKey;
using platform::RegistryRoot;
using platform::RegistryStatus;

const char* const kSelectorInstallationKey = "SOFTWARE\\Orvik\\Plotara TroubleShooter";
const char* const kSelectorVersionsParentKey = "SOFTWARE\\Orvik\\";

namespace {

constexpr std::size_t kValueBuffer = 260;
constexpr std::uint32_t kMaxVersions = 1000;

bool ReadString(const std::string& keyPath, const std::string& name, std::string* text) {
    const auto key =
        RegistryKey::Open(RegistryRoot::LocalMachine, keyPath, platform::RegistryAccess::Read);
    if (!key) return false;
    platform::RegistryValue value;
    if (key->QueryValue(name, kValueBuffer, &value) != RegistryStatus::Ok) return false;
    *text = value.data.substr(0, value.data.find('\0'));
    return true;
}

// Stored with the terminating zero, so a reader that trusts the stored length gets a proper
// string.
bool WriteString(const std::string& keyPath, const std::string& name, const std::string& text) {
    const auto key = RegistryKey::Create(RegistryRoot::LocalMachine, keyPath);
    return key && key->SetString(name, text);
}

}  // namespace

SelectorPreferences::SelectorPreferences(std::string installationKey)
    : m_installationKey(std::move(installationKey)) {}

bool SelectorPreferences::Ensure(SelectorLog& log) {
    const std::string domainKey = m_installationKey + "\\DomainSelection";
    if (RegistryKey::Open(RegistryRoot::LocalMachine, domainKey, platform::RegistryAccess::Read)) {
        return true;
    }
    log.Write("Domain Preference is not present. Creating new entry.");
    bool made = false;
    const auto domain = RegistryKey::Create(RegistryRoot::LocalMachine, domainKey);
    if (!domain) {
        log.Write("Failed to create registry entry for the Domain Preference");
    } else if (!domain->SetString("Domain", "USB")) {
        log.Write("Failed to set value for the Preference");
    } else {
        const auto printer = RegistryKey::Create(RegistryRoot::LocalMachine,
                                                 m_installationKey + "\\PrinterSelection");
        if (!printer) {
            log.Write("Failed to create registry entry for the Domain Preference");
        } else if (!printer->SetString("Printer", "")) {
            log.Write("Failed to set value for the Preference");
        } else {
            made = true;
        }
    }
    if (!made) log.Write("Unable to load the preferences.");
    return made;
}

bool SelectorPreferences::Read(std::string* domain, std::string* printer, SelectorLog& log) {
    domain->clear();
    printer->clear();
    bool good = true;
    if (!ReadString(m_installationKey + "\\DomainSelection", "Domain", domain)) {
        log.Write("Failure in accessing the entry of Printer Selection Preferences.");
        domain->clear();
        good = false;
    }
    if (!ReadString(m_installationKey + "\\PrinterSelection", "Printer", printer)) {
        log.Write("Failure in opening the entry of Printer Selection Preferences.");
        printer->clear();
        good = false;
    }
    return good;
}

bool SelectorPreferences::Save(const std::string& domain, const std::string& printer,
                               SelectorLog& log) {
    bool good = true;
    if (!WriteString(m_installationKey + "\\DomainSelection", "Domain", domain)) {
        log.Write("Resetting of Domain preferencs has failed.");
        good = false;
    }
    if (!WriteString(m_installationKey + "\\PrinterSelection", "Printer", printer)) {
        log.Write("Resetting of Printer preferencs has failed.");
        good = false;
    }
    return good;
}

std::string InstalledVersionsText(const std::string& string25, bool* found, SelectorLog& log,
                                  const std::string& versionsParentKey) {
    *found = false;
    const auto key = RegistryKey::Open(RegistryRoot::LocalMachine, versionsParentKey + string25,
                                       platform::RegistryAccess::Read);
    if (!key) {
        log.Write("Failed to open Registry Key for System Maintenance Verion Number");
        return std::string();
    }
    std::string versions;
    for (std::uint32_t index = 0; index < kMaxVersions; ++index) {
        std::string name;
        if (key->EnumSubkey(index, &name) != RegistryStatus::Ok) {
            log.Write("Failed to open Version Number Registry SubKey or No more keys.");
            break;
        }
        if (index > 0) versions += ",";
        versions += name;
    }
    *found = !versions.empty();
    return versions;
}
