#pragma once
/// The user's last choice of group and printer, kept in the registry, and the installed
/// versions that the dialog's title names.

#include <string>

class SelectorLog;

/// HKEY_LOCAL_MACHINE key of the installation.
extern const char* const kSelectorInstallationKey;
/// HKEY_LOCAL_MACHINE key under which each installed version is a subkey named by string 25.
extern const char* const kSelectorVersionsParentKey;

class SelectorPreferences {
public:
    /// `installationKey` below HKEY_LOCAL_MACHINE holds "DomainSelection" and
    /// "PrinterSelection"; a test names its own.
    explicit SelectorPreferences(std::string installationKey = kSelectorInstallationKey);

    /// Creates "Domain" = "USB" and an empty "Printer" when "DomainSelection" is missing.
    /// False (and logged) when they could not be made; the dialog goes on without them.
    bool Ensure(SelectorLog& log);
    /// Each value that cannot be read is logged and left empty; false when either failed.
    bool Read(std::string* domain, std::string* printer, SelectorLog& log);
    /// "Domain" is "USB", "LPT" or "NETWORK"; "Printer" the selected row's column-2 text.
    bool Save(const std::string& domain, const std::string& printer, SelectorLog& log);

private:
    std::string m_installationKey;
};

/// The names of the subkeys of `versionsParentKey` + `string25`, joined by ",". `*found` is
/// true when the key opened and named at least one version: an empty pair of brackets in the
/// title would tell the user nothing.
std::string InstalledVersionsText(
    const std::string& string25, bool* found, SelectorLog& log,
    const std::string& versionsParentKey = kSelectorVersionsParentKey);
