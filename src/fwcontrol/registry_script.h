#pragma once
// The registry script the module carries: the part of the .rgs language it uses. A script is
// a list of root keys ("HKCR" ...), each a tree of keys written as
//     [NoRemove|ForceRemove] name [= s 'default'] [{ ... }]
// with values inside a key's braces as  val name = s 'text'. Names are bare words or quoted
// with single quotes; '' inside quotes stands for one quote. Only string values exist.

#include <string>
#include <utility>
#include <vector>

/// One key of the script and what lies under it.
struct RegistryScriptKey {
    std::string name;
    bool noRemove = false;     ///< unregistration keeps the key (it is shared) but visits it
    bool forceRemove = false;  ///< registration deletes the key's old tree first
    bool hasDefault = false;
    std::string defaultValue;
    std::vector<std::pair<std::string, std::string>> values;
    std::vector<RegistryScriptKey> subkeys;
};

/// Parses `text` with every "%MODULE%" replaced by `modulePath`. Returns false and a message
/// naming the line when the text is not a script.
bool ParseRegistryScript(const std::string& text, const std::string& modulePath,
                         std::vector<RegistryScriptKey>* roots, std::string* error);
