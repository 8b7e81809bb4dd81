#pragma once
/// Windows only: a registry key opened by another system call, handed out through the seam.

#include <windows.h>

#include <memory>

#include "platform/registry.h"

namespace platform {

/// Takes ownership of `key`: the returned object closes it.
std::unique_ptr<RegistryKey> AdoptRegistryKey(HKEY key);

}  // namespace platform
