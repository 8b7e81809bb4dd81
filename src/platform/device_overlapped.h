#pragma once
/// A device opened for overlapped transfers whose completions run a routine during an
/// alertable wait: the calls the USB channel makes. Windows: CreateFileA with
/// FILE_FLAG_OVERLAPPED, WriteFileEx/ReadFileEx, WaitForSingleObjectEx, GetOverlappedResult.
/// POSIX: a descriptor whose transfer is done, bounded by poll(), while the caller waits.

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

enum class Transfer { Read, Write };

/// How an alertable wait on a transfer's event ended.
enum class WaitOutcome {
    IoCompletion,  // WAIT_IO_COMPLETION: the completion routine ran
    Signalled,     // WAIT_OBJECT_0
    TimedOut,      // WAIT_TIMEOUT
    Abandoned,     // WAIT_ABANDONED
    Failed         // anything else
};

/// One device with one reusable transfer record (and its auto-reset event) per direction.
class OverlappedDevice {
public:
    using CompletionRoutine = void (*)();

    virtual ~OverlappedDevice() = default;  // closes the device, then both events

    /// Creates the two events and zeroed transfer records; no device is open yet.
    static std::unique_ptr<OverlappedDevice> Create();

    /// Read and write, shared reading and writing, existing device, overlapped.
    virtual bool Open(const std::string& path) = 0;
    virtual bool IsOpen() const = 0;
    /// Starts writing `length` bytes; `routine` runs when the write completes.
    virtual bool StartWrite(const char* buffer, std::uint32_t length,
                            CompletionRoutine routine) = 0;
    /// Starts reading at most `size` bytes; `routine` runs when the read completes.
    virtual bool StartRead(char* buffer, std::uint32_t size, CompletionRoutine routine) = 0;
    /// Waits alertably on the transfer's event; 0xFFFFFFFF waits without limit.
    virtual WaitOutcome Wait(Transfer transfer, std::uint32_t milliseconds) = 0;
    /// The transfer's byte count, taken without waiting; false when it failed or is pending.
    virtual bool Result(Transfer transfer, std::uint32_t* count) = 0;
    /// Cancels the pending transfers (CancelIo, looked up at run time); 0 when that cannot be
    /// done, otherwise what the cancel returned.
    virtual int CancelPendingIo() = 0;
    virtual std::uint32_t LastError() = 0;
};

}  // namespace platform
