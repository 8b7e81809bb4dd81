// The setup library bound by name at run time, so that a system without it still runs.

#include <windows.h>
// after windows.h, which it needs
#include <setupapi.h>

#include <cstdio>
#include <vector>

#include "platform/registry_win32.h"
#include "platform/setup_library.h"

namespace platform {

namespace {

using GetClassDevs = HDEVINFO(WINAPI*)(const GUID*, PCSTR, HWND, DWORD);
using EnumDeviceInterfaces = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, const GUID*, DWORD,
                                           PSP_DEVICE_INTERFACE_DATA);
using GetDeviceInterfaceDetail = BOOL(WINAPI*)(HDEVINFO, PSP_DEVICE_INTERFACE_DATA,
                                               PSP_DEVICE_INTERFACE_DETAIL_DATA_A, DWORD, PDWORD,
                                               PSP_DEVINFO_DATA);
using DestroyDeviceInfoList = BOOL(WINAPI*)(HDEVINFO);
using OpenDeviceInterfaceRegKey = HKEY(WINAPI*)(HDEVINFO, PSP_DEVICE_INTERFACE_DATA, DWORD, REGSAM);

struct Functions {
    GetClassDevs getClassDevs = nullptr;
    EnumDeviceInterfaces enumDeviceInterfaces = nullptr;
    GetDeviceInterfaceDetail getDeviceInterfaceDetail = nullptr;
    DestroyDeviceInfoList destroyDeviceInfoList = nullptr;
    OpenDeviceInterfaceRegKey openDeviceInterfaceRegKey = nullptr;
};

template <typename Function>
bool Bind(HMODULE library, const char* name, Function* function) {
    *function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return *function != nullptr;
}

bool ParseGuid(const std::string& text, GUID* guid) {
    unsigned long data1 = 0;
    unsigned int data2 = 0, data3 = 0;
    unsigned int bytes[8] = {};
    char end = 0;
    const int read = std::sscanf(text.c_str(), "{%8lx-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x%c", &data1,
                                 &data2, &data3, &bytes[0], &bytes[1], &bytes[2], &bytes[3],
                                 &bytes[4], &bytes[5], &bytes[6], &bytes[7], &end);
    if (read != 12 || end != '}') return false;
    guid->Data1 = data1;
    guid->Data2 = static_cast<unsigned short>(data2);
    guid->Data3 = static_cast<unsigned short>(data3);
    for (int i = 0; i < 8; ++i) guid->Data4[i] = static_cast<unsigned char>(bytes[i]);
    return true;
}

class Win32SetupInterfaceList : public SetupInterfaceList {
public:
    Win32SetupInterfaceList(const Functions& functions, HDEVINFO list, const GUID& guid)
        : m_functions(functions), m_list(list), m_guid(guid) {}
    ~Win32SetupInterfaceList() override { m_functions.destroyDeviceInfoList(m_list); }
    Win32SetupInterfaceList(const Win32SetupInterfaceList&) = delete;
    Win32SetupInterfaceList& operator=(const Win32SetupInterfaceList&) = delete;

    bool Exists(std::uint32_t index) override {
        SP_DEVICE_INTERFACE_DATA data;
        return Interface(index, &data);
    }

    bool DevicePath(std::uint32_t index, std::string* path) override {
        SP_DEVICE_INTERFACE_DATA data;
        if (!Interface(index, &data)) return false;
        DWORD needed = 0;
        m_functions.getDeviceInterfaceDetail(m_list, &data, nullptr, 0, &needed, nullptr);
        if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) return false;
        std::vector<unsigned char> buffer(needed);
        auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        if (!m_functions.getDeviceInterfaceDetail(m_list, &data, detail, needed, nullptr,
                                                  nullptr)) {
            return false;
        }
        *path = detail->DevicePath;
        return true;
    }

    std::unique_ptr<RegistryKey> OpenKey(std::uint32_t index) override {
        SP_DEVICE_INTERFACE_DATA data;
        if (!Interface(index, &data)) return nullptr;
        const HKEY key = m_functions.openDeviceInterfaceRegKey(m_list, &data, 0, KEY_ALL_ACCESS);
        if (key == INVALID_HANDLE_VALUE || key == nullptr) return nullptr;
        return AdoptRegistryKey(key);
    }

private:
    bool Interface(std::uint32_t index, SP_DEVICE_INTERFACE_DATA* data) {
        data->cbSize = sizeof(SP_DEVICE_INTERFACE_DATA);
        return m_functions.enumDeviceInterfaces(m_list, nullptr, &m_guid, index, data) != FALSE;
    }

    Functions m_functions;
    HDEVINFO m_list;
    GUID m_guid;
};

class Win32SetupLibrary : public SetupLibrary {
public:
    Win32SetupLibrary(HMODULE library, const Functions& functions)
        : m_library(library), m_functions(functions) {}
    ~Win32SetupLibrary() override { FreeLibrary(m_library); }
    Win32SetupLibrary(const Win32SetupLibrary&) = delete;
    Win32SetupLibrary& operator=(const Win32SetupLibrary&) = delete;

    std::unique_ptr<SetupInterfaceList> PresentInterfaces(
        const std::string& interfaceClass) override {
        GUID guid;
        if (!ParseGuid(interfaceClass, &guid)) return nullptr;
        const HDEVINFO list = m_functions.getClassDevs(&guid, nullptr, nullptr,
                                                       DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
        if (list == INVALID_HANDLE_VALUE) return nullptr;
        return std::make_unique<Win32SetupInterfaceList>(m_functions, list, guid);
    }

private:
    HMODULE m_library;
    Functions m_functions;
};

}  // namespace

std::unique_ptr<SetupLibrary> LoadSetupLibrary() {
    const HMODULE library = LoadLibraryA("SETUPAPI.DLL");
    if (library == nullptr) return nullptr;
    Functions functions;
    const bool bound =
        Bind(library, "SetupDiGetClassDevsA", &functions.getClassDevs) &&
        Bind(library, "SetupDiEnumDeviceInterfaces", &functions.enumDeviceInterfaces) &&
        Bind(library, "SetupDiGetDeviceInterfaceDetailA", &functions.getDeviceInterfaceDetail) &&
        Bind(library, "SetupDiDestroyDeviceInfoList", &functions.destroyDeviceInfoList) &&
        Bind(library, "SetupDiOpenDeviceInterfaceRegKey", &functions.openDeviceInterfaceRegKey);
    if (!bound) {
        FreeLibrary(library);
        return nullptr;
    }
    return std::make_unique<Win32SetupLibrary>(library, functions);
}

}  // namespace platform
