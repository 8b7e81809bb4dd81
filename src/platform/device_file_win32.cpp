#include <windows.h>

#include "platform/device_file.h"

namespace platform {

namespace {

HANDLE AsHandle(DeviceHandle handle) { return reinterpret_cast<HANDLE>(handle); }

class Win32DeviceFiles : public DeviceFiles {
public:
    DeviceHandle Open(const std::string& path, DeviceOpen how) override {
        DWORD access = GENERIC_READ | GENERIC_WRITE;
        DWORD share = 0;
        DWORD disposition = OPEN_EXISTING;
        DWORD flags = FILE_ATTRIBUTE_NORMAL;
        switch (how) {
            case DeviceOpen::ExclusiveReadWrite:
                flags = 0;
                break;
            case DeviceOpen::ExclusiveReadWriteNormal:
                break;
            case DeviceOpen::SharedRead:
                access = GENERIC_READ;
                share = FILE_SHARE_READ;
                break;
            case DeviceOpen::SharedReadOpenAlways:
                access = GENERIC_READ;
                share = FILE_SHARE_READ;
                disposition = OPEN_ALWAYS;
                break;
        }
        HANDLE handle =
            CreateFileA(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
        return handle == INVALID_HANDLE_VALUE ? kNoDevice : reinterpret_cast<DeviceHandle>(handle);
    }

    void Close(DeviceHandle handle) override {
        if (handle != kNoDevice) CloseHandle(AsHandle(handle));
    }

    bool Read(DeviceHandle handle, char* buffer, std::uint32_t size, std::uint32_t* done) override {
        DWORD count = 0;
        const BOOL ok = ReadFile(AsHandle(handle), buffer, size, &count, nullptr);
        *done = count;
        return ok != FALSE;
    }

    bool Write(DeviceHandle handle, const char* buffer, std::uint32_t length,
               std::uint32_t* done) override {
        DWORD count = 0;
        const BOOL ok = WriteFile(AsHandle(handle), buffer, length, &count, nullptr);
        *done = count;
        return ok != FALSE;
    }

    bool IoControl(DeviceHandle handle, std::uint32_t code, const void* input,
                   std::uint32_t inputSize, void* output, std::uint32_t outputSize) override {
        DWORD returned = 0;
        return DeviceIoControl(AsHandle(handle), code, const_cast<void*>(input), inputSize, output,
                               outputSize, &returned, nullptr) != FALSE;
    }

    bool GetCommTimeouts(DeviceHandle handle, CommTimeouts* timeouts) override {
        COMMTIMEOUTS system{};
        if (!::GetCommTimeouts(AsHandle(handle), &system)) return false;
        timeouts->readInterval = system.ReadIntervalTimeout;
        timeouts->readTotalMultiplier = system.ReadTotalTimeoutMultiplier;
        timeouts->readTotalConstant = system.ReadTotalTimeoutConstant;
        timeouts->writeTotalMultiplier = system.WriteTotalTimeoutMultiplier;
        timeouts->writeTotalConstant = system.WriteTotalTimeoutConstant;
        return true;
    }

    bool SetCommTimeouts(DeviceHandle handle, const CommTimeouts& timeouts) override {
        COMMTIMEOUTS system{};
        system.ReadIntervalTimeout = timeouts.readInterval;
        system.ReadTotalTimeoutMultiplier = timeouts.readTotalMultiplier;
        system.ReadTotalTimeoutConstant = timeouts.readTotalConstant;
        system.WriteTotalTimeoutMultiplier = timeouts.writeTotalMultiplier;
        system.WriteTotalTimeoutConstant = timeouts.writeTotalConstant;
        return ::SetCommTimeouts(AsHandle(handle), &system) != FALSE;
    }

    bool DefineRawDosDevice(const std::string& name, const std::string& target) override {
        return DefineDosDeviceA(DDD_RAW_TARGET_PATH, name.c_str(), target.c_str()) != FALSE;
    }

    std::uint32_t Size(DeviceHandle handle) override {
        const DWORD size = GetFileSize(AsHandle(handle), nullptr);
        return size == INVALID_FILE_SIZE ? 0 : size;
    }

    bool Delete(const std::string& path) override { return DeleteFileA(path.c_str()) != FALSE; }

    std::string CurrentDirectory() override {
        char buffer[MAX_PATH + 1] = {};
        const DWORD length = GetCurrentDirectoryA(sizeof(buffer), buffer);
        return length == 0 || length > MAX_PATH ? std::string() : std::string(buffer, length);
    }

    std::uint32_t LastError() override { return GetLastError(); }
};

}  // namespace

DeviceFiles& DeviceFiles::System() {
    static Win32DeviceFiles files;
    return files;
}

std::string DevicePathOnThisSystem(const std::string& path) { return path; }

}  // namespace platform
