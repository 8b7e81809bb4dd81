#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "caller/caller_lock.h"

CCallerLock::~CCallerLock() { Release(); }

bool CCallerLock::Acquire(const std::string& path) {
    Release();
    m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0) return false;
    // The file is never removed: a caller that removed it while another waited on it would
    // let a third caller lock a new file beside the waiting one.
    while (flock(m_fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            Release();
            return false;
        }
    }
    return true;
}

void CCallerLock::Release() {
    if (m_fd < 0) return;
    close(m_fd);  // closing the only descriptor releases the lock
    m_fd = -1;
}
