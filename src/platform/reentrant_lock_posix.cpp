#include "platform/reentrant_lock.h"

#include <pthread.h>

namespace platform {

struct ReentrantLock::Impl {
    pthread_mutex_t mutex;
};

ReentrantLock::ReentrantLock() : m_impl(std::make_unique<Impl>()) {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&m_impl->mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

ReentrantLock::~ReentrantLock() { pthread_mutex_destroy(&m_impl->mutex); }

void ReentrantLock::Enter() { pthread_mutex_lock(&m_impl->mutex); }

void ReentrantLock::Leave() { pthread_mutex_unlock(&m_impl->mutex); }

}  // namespace platform
