#pragma once
/// Files and devices opened by name and used synchronously: the calls the parallel port and the
/// file channel make. Windows: CreateFileA and its kin. POSIX: file descriptors, where the DOS
/// device names of the parallel ports stand for the Linux parallel printer devices.

#include <cstdint>
#include <string>

namespace platform {

/// An open file or device; kNoDevice when none.
using DeviceHandle = std::intptr_t;
constexpr DeviceHandle kNoDevice = -1;

/// The ways the channels open a name: access, sharing, disposition and attributes together.
enum class DeviceOpen {
    ExclusiveReadWrite,        // read and write, no sharing, existing, no flags
    ExclusiveReadWriteNormal,  // the same with normal attributes
    SharedRead,                // read, shared reading, existing, normal attributes
    SharedReadOpenAlways       // the same, creating an empty file when missing
};

/// The communication time-outs of a port, in milliseconds (COMMTIMEOUTS).
struct CommTimeouts {
    std::uint32_t readInterval = 0;
    std::uint32_t readTotalMultiplier = 0;
    std::uint32_t readTotalConstant = 0;
    std::uint32_t writeTotalMultiplier = 0;
    std::uint32_t writeTotalConstant = 0;
};

class DeviceFiles {
public:
    virtual ~DeviceFiles() = default;

    /// The operating system's files and devices.
    static DeviceFiles& System();

    virtual DeviceHandle Open(const std::string& path, DeviceOpen how) = 0;
    virtual void Close(DeviceHandle handle) = 0;
    /// One synchronous read; `*done` receives the count (0 when the port's time-out ran out).
    virtual bool Read(DeviceHandle handle, char* buffer, std::uint32_t size,
                      std::uint32_t* done) = 0;
    /// One synchronous write; `*done` receives the count accepted within the port's time-out.
    virtual bool Write(DeviceHandle handle, const char* buffer, std::uint32_t length,
                       std::uint32_t* done) = 0;
    /// DeviceIoControl without overlapping.
    virtual bool IoControl(DeviceHandle handle, std::uint32_t code, const void* input,
                           std::uint32_t inputSize, void* output, std::uint32_t outputSize) = 0;
    virtual bool GetCommTimeouts(DeviceHandle handle, CommTimeouts* timeouts) = 0;
    virtual bool SetCommTimeouts(DeviceHandle handle, const CommTimeouts& timeouts) = 0;
    /// DefineDosDeviceA with DDD_RAW_TARGET_PATH: `name` then stands for kernel device `target`.
    virtual bool DefineRawDosDevice(const std::string& name, const std::string& target) = 0;
    /// The size of an open file in bytes (its low 32 bits).
    virtual std::uint32_t Size(DeviceHandle handle) = 0;
    virtual bool Delete(const std::string& path) = 0;
    virtual std::string CurrentDirectory() = 0;
    /// The error code of the calling thread's last failed (or, on POSIX, last) call.
    virtual std::uint32_t LastError() = 0;
};

/// The name the system opens for `path`. Windows: `path` itself. POSIX: "\\.\LPTn" and
/// "\\.\NONSPOOLED_LPTn" (any case) become /dev/lp(n-1); "\\.\" before a POSIX path is dropped;
/// any other "\\.\name" becomes /dev/name; other backslashes become slashes.
std::string DevicePathOnThisSystem(const std::string& path);

}  // namespace platform
