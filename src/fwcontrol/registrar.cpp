#include "registrar.h"

#include <oleauto.h>

#include <string>
#include <vector>

#include "fw_ids.h"
#include "module_state.h"
#include "open_command.h"
#include "registry_script.h"
#include "registry_script_writer.h"

namespace {

HRESULT LoadScript(std::vector<RegistryScriptKey>* roots) {
    HINSTANCE module = FwModuleInstance();
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(102), "REGISTRY");
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (bytes == nullptr) return HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND);
    std::string text(bytes, SizeofResource(module, found));
    return ParseRegistryScript(text, FwModulePath(), roots, nullptr) ? S_OK : E_UNEXPECTED;
}

HRESULT RegisterTypeLibrary(bool registering) {
    if (!registering)
        return UnRegisterTypeLib(LIBID_FWHELPERCONTROLLib, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
    std::string path = FwModulePath();
    std::wstring widePath(path.begin(), path.end());
    ITypeLib* library = nullptr;
    HRESULT result = LoadTypeLibEx(widePath.c_str(), REGKIND_REGISTER, &library);
    if (library) library->Release();
    return result;
}

HRESULT WriteOpenCommand() {
    HKEY open = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, "fmwfile_orvik_pl\\shell\\open", 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &open,
                        nullptr) != ERROR_SUCCESS)
        return E_FAIL;
    std::string command;
    HRESULT result = MakeOpenCommand(FwModulePath(), GetShortPathNameA, &command);
    if (SUCCEEDED(result)) {
        LONG written = RegSetKeyValueA(open, "command", nullptr, REG_SZ, command.c_str(),
                                       static_cast<DWORD>(command.size() + 1));
        if (written != ERROR_SUCCESS) result = HRESULT_FROM_WIN32(written);
    }
    RegCloseKey(open);
    return result;
}

}  // namespace

HRESULT RegisterFwServer() {
    std::vector<RegistryScriptKey> roots;
    HRESULT result = LoadScript(&roots);
    if (SUCCEEDED(result)) result = WriteRegistryScript(roots);
    if (SUCCEEDED(result)) result = RegisterTypeLibrary(true);
    HRESULT command = WriteOpenCommand();
    return FAILED(command) ? command : result;
}

HRESULT UnregisterFwServer() {
    std::vector<RegistryScriptKey> roots;
    HRESULT result = LoadScript(&roots);
    if (SUCCEEDED(result)) result = EraseRegistryScript(roots);
    HRESULT library = RegisterTypeLibrary(false);
    if (SUCCEEDED(result) && FAILED(library) && library != TYPE_E_REGISTRYACCESS) result = library;
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "fmwfile_orvik_pl");
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "fmwfile_orvik_pl");
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ".fmw");
    RegDeleteKeyA(HKEY_CLASSES_ROOT, ".fmw");
    return result;
}
