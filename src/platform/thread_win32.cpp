#include "platform/thread.h"

#include <windows.h>

namespace platform {
namespace {

struct StartRecord {
    Thread::Routine routine;
    void* parameter;
};

DWORD WINAPI Trampoline(LPVOID raw) {
    StartRecord record = *static_cast<StartRecord*>(raw);
    delete static_cast<StartRecord*>(raw);
    record.routine(record.parameter);
    return 0;
}

class Win32Thread : public Thread {
public:
    explicit Win32Thread(HANDLE handle) : m_handle(handle) {}
    ~Win32Thread() override { CloseHandle(m_handle); }
    void Join() override { WaitForSingleObject(m_handle, INFINITE); }
    bool Kill() override { return TerminateThread(m_handle, 0) != FALSE; }

private:
    HANDLE m_handle;
};

}  // namespace

std::unique_ptr<Thread> Thread::Start(Routine routine, void* parameter) {
    auto* record = new StartRecord{routine, parameter};
    HANDLE handle = CreateThread(nullptr, 0, &Trampoline, record, 0, nullptr);
    if (handle == nullptr) {
        delete record;
        return nullptr;
    }
    return std::make_unique<Win32Thread>(handle);
}

void RethrowIfThreadCancellation() {}

}  // namespace platform
