#pragma once
/// A lock that the owning thread may enter again (a critical section on Windows).

#include <memory>

namespace platform {

class ReentrantLock {
public:
    ReentrantLock();
    ~ReentrantLock();
    ReentrantLock(const ReentrantLock&) = delete;
    ReentrantLock& operator=(const ReentrantLock&) = delete;

    void Enter();
    void Leave();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace platform
