// The four entry points of the in-process server.
#include <windows.h>

#include <new>

#include "class_factory.h"
#include "fw_ids.h"
#include "module_state.h"
#include "registrar.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        SetFwModuleInstance(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return FwModuleCount() == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_OrvikFmwHandler) return CLASS_E_CLASSNOTAVAILABLE;
    CClassFactory* factory = new (std::nothrow) CClassFactory();
    if (factory == nullptr) return E_OUTOFMEMORY;
    HRESULT result = factory->QueryInterface(iid, object);
    factory->Release();
    return result;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return RegisterFwServer(); }

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return UnregisterFwServer(); }
