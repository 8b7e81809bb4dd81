#pragma once
// A module installed for serving tests: template pages, static files, an exit page, the
// engine's error pages and a page bound to a printer command.

#include <string>

#include "integration/installation.h"

namespace integration {

constexpr const char* kServedModule = "testmod";
constexpr const char* kServedModuleDirectory = "test module";
constexpr const char* kServedPrinterAddress = "127.0.0.2";

/// Bytes of the static files, for comparing what was served.
std::string ScriptFileBytes();
std::string ImageFileBytes();

/// The registry entries of the served module.
RegistryEntries ServedModuleRegistry(const std::string& module = kServedModule);

/// Writes registry, module files and a params file for `module` at `printerAddress`.
void InstallServedModule(Installation& install, const std::string& module = kServedModule,
                         const std::string& printerAddress = kServedPrinterAddress);

}  // namespace integration
