#pragma once
// Reads back what an engine wrote to the registry it saw: the installation's POSIX store, or
// the Wine prefix's registry.

#include <optional>
#include <string>

#include "integration/installation.h"

namespace integration {

/// The string value `name` of `key` (a full path such as "HKEY_CURRENT_USER\\Software\\...");
/// nothing when the key or the value is missing.
std::optional<std::string> ReadRegistryString(const Installation& install, const std::string& key,
                                              const std::string& name);

}  // namespace integration
