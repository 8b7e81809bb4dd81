// The registry on Windows: the real one, through the ANSI registry functions.

#include <windows.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "platform/reg_file.h"
#include "platform/registry.h"
#include "platform/registry_win32.h"

namespace platform {

namespace {

HKEY RootKey(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::LocalMachine:
            return HKEY_LOCAL_MACHINE;
        case RegistryRoot::CurrentUser:
            return HKEY_CURRENT_USER;
        case RegistryRoot::ClassesRoot:
            return HKEY_CLASSES_ROOT;
    }
    return HKEY_LOCAL_MACHINE;
}

static_assert(REG_SZ == kRegSz && REG_DWORD == kRegDWord && REG_BINARY == kRegBinary,
              "the .reg type numbers are the Win32 ones");

RegistryStatus StatusOf(LONG result) {
    switch (result) {
        case ERROR_SUCCESS:
            return RegistryStatus::Ok;
        case ERROR_NO_MORE_ITEMS:
            return RegistryStatus::NoMoreItems;
        case ERROR_MORE_DATA:
            return RegistryStatus::MoreData;
        case ERROR_FILE_NOT_FOUND:
            return RegistryStatus::NotFound;
        default:
            return RegistryStatus::Failed;
    }
}

DWORD ToDWord(std::size_t size) {
    return static_cast<DWORD>(std::min<std::size_t>(size, std::numeric_limits<DWORD>::max()));
}

void Fill(const char* name, DWORD nameLength, DWORD type, const BYTE* data, DWORD dataSize,
          RegistryValue* value) {
    if (type == REG_SZ && dataSize > 0 && data[dataSize - 1] == '\0') --dataSize;
    value->name.assign(name, nameLength);
    value->type = RegistryTypeOf(type);
    value->data.assign(reinterpret_cast<const char*>(data), dataSize);
}

class Win32RegistryKey : public RegistryKey {
public:
    explicit Win32RegistryKey(HKEY key) : m_key(key) {}
    ~Win32RegistryKey() override { RegCloseKey(m_key); }
    Win32RegistryKey(const Win32RegistryKey&) = delete;
    Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

    RegistryStatus EnumValue(std::uint32_t index, std::size_t nameBufferSize,
                             std::size_t dataBufferSize, RegistryValue* value) override {
        // The buffers are the caller's sizes, cut to what the key's longest value needs, so
        // a generous size costs no memory and the overflow answer stays the system's.
        DWORD longestName = 0;
        DWORD longestData = 0;
        LONG result = RegQueryInfoKeyA(m_key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, &longestName, &longestData, nullptr, nullptr);
        if (result != ERROR_SUCCESS) return StatusOf(result);
        // A name's length is counted in UTF-16 units; in a double-byte code page each may
        // take two bytes.
        DWORD nameLength = std::min(ToDWord(nameBufferSize), longestName * 2 + 1);
        DWORD dataSize = std::min(ToDWord(dataBufferSize), longestData);
        std::vector<char> name(std::size_t{nameLength} + 1);
        std::vector<BYTE> data(std::size_t{dataSize} + 1);  // never null: that asks sizes only
        DWORD type = REG_NONE;
        result = RegEnumValueA(m_key, index, name.data(), &nameLength, nullptr, &type, data.data(),
                               &dataSize);
        if (result != ERROR_SUCCESS) return StatusOf(result);
        Fill(name.data(), nameLength, type, data.data(), dataSize, value);
        return RegistryStatus::Ok;
    }

    RegistryStatus EnumSubkey(std::uint32_t index, std::string* name) override {
        char buffer[256];
        DWORD length = sizeof buffer;
        const LONG result =
            RegEnumKeyExA(m_key, index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
        if (result != ERROR_SUCCESS) return StatusOf(result);
        name->assign(buffer, length);
        return RegistryStatus::Ok;
    }

    RegistryStatus QueryValue(const std::string& name, std::size_t dataBufferSize,
                              RegistryValue* value) override {
        DWORD needed = 0;
        DWORD type = REG_NONE;
        LONG result = RegQueryValueExA(m_key, name.c_str(), nullptr, &type, nullptr, &needed);
        if (result != ERROR_SUCCESS) return StatusOf(result);
        DWORD dataSize = std::min(ToDWord(dataBufferSize), needed);
        std::vector<BYTE> data(std::size_t{dataSize} + 1);
        result = RegQueryValueExA(m_key, name.c_str(), nullptr, &type, data.data(), &dataSize);
        if (result != ERROR_SUCCESS) return StatusOf(result);
        Fill(name.c_str(), static_cast<DWORD>(name.size()), type, data.data(), dataSize, value);
        return RegistryStatus::Ok;
    }

    bool SetString(const std::string& name, const std::string& data) override {
        return Set(name, REG_SZ, std::string(data).append(1, '\0'));
    }

    bool SetDWord(const std::string& name, std::uint32_t data) override {
        const DWORD number = data;
        return Set(name, REG_DWORD, std::string(reinterpret_cast<const char*>(&number), 4));
    }

    bool SetBinary(const std::string& name, const std::string& bytes) override {
        return Set(name, REG_BINARY, bytes);
    }

    bool SetRaw(const std::string& name, std::uint32_t registryType,
                const std::string& bytes) override {
        return Set(name, registryType, bytes);
    }

    bool DeleteValue(const std::string& name) override {
        return RegDeleteValueA(m_key, name.c_str()) == ERROR_SUCCESS;
    }

private:
    bool Set(const std::string& name, DWORD type, const std::string& bytes) {
        if (bytes.size() > std::numeric_limits<DWORD>::max()) return false;
        return RegSetValueExA(m_key, name.c_str(), 0, type,
                              reinterpret_cast<const BYTE*>(bytes.data()),
                              static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
    }

    HKEY m_key;
};

}  // namespace

std::unique_ptr<RegistryKey> AdoptRegistryKey(HKEY key) {
    return std::make_unique<Win32RegistryKey>(key);
}

std::unique_ptr<RegistryKey> RegistryKey::Open(RegistryRoot root, const std::string& path,
                                               RegistryAccess access) {
    REGSAM rights = KEY_READ;
    if (access == RegistryAccess::Full) rights = KEY_ALL_ACCESS;
    if (access == RegistryAccess::QueryAndWrite) rights = KEY_WRITE | KEY_QUERY_VALUE;
    HKEY key = nullptr;
    if (RegOpenKeyExA(RootKey(root), path.c_str(), 0, rights, &key) != ERROR_SUCCESS) {
        return nullptr;
    }
    return std::make_unique<Win32RegistryKey>(key);
}

std::unique_ptr<RegistryKey> RegistryKey::Create(RegistryRoot root, const std::string& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return nullptr;
    }
    return std::make_unique<Win32RegistryKey>(key);
}

bool RegistryKey::DeleteTree(RegistryRoot root, const std::string& path) {
    // An empty path would empty the whole root.
    if (path.empty()) return false;
    const LONG result = RegDeleteTreeA(RootKey(root), path.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

void UseRegistryStoreFile(const std::string& /*path*/) {}

std::string RegistryStoreFile() { return ""; }

}  // namespace platform
