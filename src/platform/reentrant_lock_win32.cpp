#include "platform/reentrant_lock.h"

#include <windows.h>

namespace platform {

struct ReentrantLock::Impl {
    CRITICAL_SECTION section;
};

ReentrantLock::ReentrantLock() : m_impl(std::make_unique<Impl>()) {
    InitializeCriticalSection(&m_impl->section);
}

ReentrantLock::~ReentrantLock() { DeleteCriticalSection(&m_impl->section); }

void ReentrantLock::Enter() { EnterCriticalSection(&m_impl->section); }

void ReentrantLock::Leave() { LeaveCriticalSection(&m_impl->section); }

}  // namespace platform
