#pragma once
// What the whole module shares: its instance handle and the count that DllCanUnloadNow asks.

#include <windows.h>

#include <string>

/// The module's instance handle (set by DllMain).
HINSTANCE FwModuleInstance();
void SetFwModuleInstance(HINSTANCE instance);
/// The module's full path, as GetModuleFileNameA gives it (at most 260 characters).
std::string FwModulePath();

/// Live objects and server locks; the module may unload when it is zero.
void FwModuleAddRef();
void FwModuleRelease();
long FwModuleCount();
