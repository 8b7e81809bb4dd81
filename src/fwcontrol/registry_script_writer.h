#pragma once
// Carries a parsed registry script into the registry (HKEY_CLASSES_ROOT and the other roots
// by their short names), or takes it out again.

#include <windows.h>

#include <vector>

#include "registry_script.h"

/// Writes every key and value; stops at the first failure and returns it.
HRESULT WriteRegistryScript(const std::vector<RegistryScriptKey>& roots);
/// Deletes every key that is not NoRemove, with its whole tree; visits NoRemove keys only to
/// delete what the script put under them. Keys already gone are not a failure.
HRESULT EraseRegistryScript(const std::vector<RegistryScriptKey>& roots);
