#include "registry_script_writer.h"

#include <string>

namespace {

bool RootKey(const std::string& name, HKEY* root) {
    if (name == "HKCR" || name == "HKEY_CLASSES_ROOT")
        *root = HKEY_CLASSES_ROOT;
    else if (name == "HKCU" || name == "HKEY_CURRENT_USER")
        *root = HKEY_CURRENT_USER;
    else if (name == "HKLM" || name == "HKEY_LOCAL_MACHINE")
        *root = HKEY_LOCAL_MACHINE;
    else
        return false;
    return true;
}

LONG SetString(HKEY key, const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

LONG WriteKey(HKEY parent, const RegistryScriptKey& key) {
    if (key.forceRemove) {
        LONG gone = RegDeleteTreeA(parent, key.name.c_str());
        if (gone != ERROR_SUCCESS && gone != ERROR_FILE_NOT_FOUND) return gone;
    }
    HKEY handle = nullptr;
    LONG result = RegCreateKeyExA(parent, key.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &handle, nullptr);
    if (result != ERROR_SUCCESS) return result;
    if (key.hasDefault) result = SetString(handle, nullptr, key.defaultValue);
    for (const auto& value : key.values) {
        if (result != ERROR_SUCCESS) break;
        result = SetString(handle, value.first.c_str(), value.second);
    }
    for (const auto& subkey : key.subkeys) {
        if (result != ERROR_SUCCESS) break;
        result = WriteKey(handle, subkey);
    }
    RegCloseKey(handle);
    return result;
}

LONG EraseKey(HKEY parent, const RegistryScriptKey& key) {
    if (!key.noRemove) {
        LONG result = RegDeleteTreeA(parent, key.name.c_str());
        if (result == ERROR_SUCCESS) result = RegDeleteKeyA(parent, key.name.c_str());
        return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
    }
    HKEY handle = nullptr;
    LONG result = RegOpenKeyExA(parent, key.name.c_str(), 0, KEY_ALL_ACCESS, &handle);
    if (result == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (result != ERROR_SUCCESS) return result;
    for (const auto& subkey : key.subkeys) {
        LONG erased = EraseKey(handle, subkey);
        if (result == ERROR_SUCCESS) result = erased;
    }
    RegCloseKey(handle);
    return result;
}

}  // namespace

HRESULT WriteRegistryScript(const std::vector<RegistryScriptKey>& roots) {
    for (const auto& root : roots) {
        HKEY handle;
        if (!RootKey(root.name, &handle)) return E_INVALIDARG;
        for (const auto& key : root.subkeys) {
            LONG result = WriteKey(handle, key);
            if (result != ERROR_SUCCESS) return HRESULT_FROM_WIN32(result);
        }
    }
    return S_OK;
}

HRESULT EraseRegistryScript(const std::vector<RegistryScriptKey>& roots) {
    HRESULT outcome = S_OK;
    for (const auto& root : roots) {
        HKEY handle;
        if (!RootKey(root.name, &handle)) return E_INVALIDARG;
        for (const auto& key : root.subkeys) {
            LONG result = EraseKey(handle, key);
            if (result != ERROR_SUCCESS && outcome == S_OK) outcome = HRESULT_FROM_WIN32(result);
        }
    }
    return outcome;
}
