#include "module_state.h"

namespace {
HINSTANCE g_instance = nullptr;
volatile LONG g_count = 0;
}  // namespace

HINSTANCE FwModuleInstance() { return g_instance; }

void SetFwModuleInstance(HINSTANCE instance) { g_instance = instance; }

std::string FwModulePath() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(g_instance, path, MAX_PATH);
    return std::string(path, length);
}

void FwModuleAddRef() { InterlockedIncrement(&g_count); }

void FwModuleRelease() { InterlockedDecrement(&g_count); }

long FwModuleCount() { return g_count; }
