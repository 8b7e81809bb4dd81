#include "platform/thread.h"

#include <cxxabi.h>
#include <pthread.h>

namespace platform {
namespace {

struct StartRecord {
    Thread::Routine routine;
    void* parameter;
};

void* Trampoline(void* raw) {
    StartRecord record = *static_cast<StartRecord*>(raw);
    delete static_cast<StartRecord*>(raw);
    record.routine(record.parameter);
    return nullptr;
}

class PosixThread : public Thread {
public:
    explicit PosixThread(pthread_t thread) : m_thread(thread) {}
    ~PosixThread() override {
        if (!m_joined) pthread_detach(m_thread);
    }
    void Join() override {
        if (m_joined) return;
        pthread_join(m_thread, nullptr);
        m_joined = true;
    }
    bool Kill() override {
        // Cancellation is the nearest POSIX has to killing a thread; it takes effect at the
        // thread's next cancellation point (any blocking call).
        if (m_joined || pthread_cancel(m_thread) != 0) return false;
        pthread_join(m_thread, nullptr);
        m_joined = true;
        return true;
    }

private:
    pthread_t m_thread;
    bool m_joined = false;
};

}  // namespace

std::unique_ptr<Thread> Thread::Start(Routine routine, void* parameter) {
    auto* record = new StartRecord{routine, parameter};
    pthread_t thread;
    if (pthread_create(&thread, nullptr, &Trampoline, record) != 0) {
        delete record;
        return nullptr;
    }
    return std::make_unique<PosixThread>(thread);
}

void RethrowIfThreadCancellation() {
    try {
        throw;
    } catch (abi::__forced_unwind&) {
        throw;
    } catch (...) {
    }
}

}  // namespace platform
