#pragma once
// What DllRegisterServer and DllUnregisterServer do.

#include <windows.h>

/// The registry script (resource "REGISTRY" 102) and the type library, then the ".fmw" open
/// command. The script's result is returned unless the open command cannot be written.
HRESULT RegisterFwServer();
/// Takes out the script's keys and the type library, then "fmwfile_orvik_pl" and ".fmw".
HRESULT UnregisterFwServer();
