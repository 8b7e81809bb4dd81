#include <windows.h>

#include "platform/device_overlapped.h"

namespace platform {

namespace {

// The transfer record handed to the system; the routine rides behind it so that the
// system's completion callback can find it.
struct TransferRecord {
    OVERLAPPED overlapped;
    OverlappedDevice::CompletionRoutine routine;
    bool pending;
};

// A cancelled transfer queues its completion for this thread's next alertable wait. Until it
// has run, the record is still the system's: let it run before the record is used again or
// freed. Bounded, as a transfer that never completes cannot be waited for.
void Settle(const TransferRecord& record) {
    for (int i = 0; i < 100 && record.pending; ++i) SleepEx(10, TRUE);
}

VOID CALLBACK Completed(DWORD /*error*/, DWORD /*count*/, LPOVERLAPPED overlapped) {
    TransferRecord* record = reinterpret_cast<TransferRecord*>(overlapped);
    record->pending = false;
    record->routine();
}

class Win32OverlappedDevice : public OverlappedDevice {
public:
    Win32OverlappedDevice() {
        m_readEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        m_writeEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        ZeroMemory(&m_read, sizeof(m_read));
        ZeroMemory(&m_write, sizeof(m_write));
        m_read.overlapped.hEvent = m_readEvent;
        m_write.overlapped.hEvent = m_writeEvent;
    }

    ~Win32OverlappedDevice() override {
        if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
        Settle(m_read);
        Settle(m_write);
        if (m_readEvent != nullptr) CloseHandle(m_readEvent);
        if (m_writeEvent != nullptr) CloseHandle(m_writeEvent);
    }

    bool Open(const std::string& path) override {
        if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
        m_handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED, nullptr);
        return m_handle != INVALID_HANDLE_VALUE;
    }

    bool IsOpen() const override { return m_handle != INVALID_HANDLE_VALUE; }

    bool StartWrite(const char* buffer, std::uint32_t length, CompletionRoutine routine) override {
        Settle(m_write);
        m_write.routine = routine;
        m_write.pending =
            WriteFileEx(m_handle, buffer, length, &m_write.overlapped, &Completed) != FALSE;
        return m_write.pending;
    }

    bool StartRead(char* buffer, std::uint32_t size, CompletionRoutine routine) override {
        Settle(m_read);
        m_read.routine = routine;
        m_read.pending =
            ReadFileEx(m_handle, buffer, size, &m_read.overlapped, &Completed) != FALSE;
        return m_read.pending;
    }

    WaitOutcome Wait(Transfer transfer, std::uint32_t milliseconds) override {
        const HANDLE event = transfer == Transfer::Read ? m_readEvent : m_writeEvent;
        switch (WaitForSingleObjectEx(event, milliseconds, TRUE)) {
            case WAIT_IO_COMPLETION:
                return WaitOutcome::IoCompletion;
            case WAIT_OBJECT_0:
                return WaitOutcome::Signalled;
            case WAIT_TIMEOUT:
                return WaitOutcome::TimedOut;
            case WAIT_ABANDONED:
                return WaitOutcome::Abandoned;
            default:
                return WaitOutcome::Failed;
        }
    }

    bool Result(Transfer transfer, std::uint32_t* count) override {
        TransferRecord& record = transfer == Transfer::Read ? m_read : m_write;
        DWORD transferred = 0;
        const BOOL ok = GetOverlappedResult(m_handle, &record.overlapped, &transferred, FALSE);
        *count = transferred;
        return ok != FALSE;
    }

    int CancelPendingIo() override {
        using CancelIoFunction = BOOL(WINAPI*)(HANDLE);
        // Looked up by name: the oldest systems have no CancelIo.
        HMODULE kernel = LoadLibraryA("kernel32.dll");
        const FARPROC found = kernel == nullptr ? nullptr : GetProcAddress(kernel, "CancelIo");
        if (found == nullptr) {
            if (kernel != nullptr) FreeLibrary(kernel);
            return 0;
        }
        const auto cancelIo =
            reinterpret_cast<CancelIoFunction>(reinterpret_cast<void (*)()>(found));
        return cancelIo(m_handle);
    }

    std::uint32_t LastError() override { return GetLastError(); }

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    HANDLE m_readEvent = nullptr;
    HANDLE m_writeEvent = nullptr;
    TransferRecord m_read;
    TransferRecord m_write;
};

}  // namespace

std::unique_ptr<OverlappedDevice> OverlappedDevice::Create() {
    return std::make_unique<Win32OverlappedDevice>();
}

}  // namespace platform
