#pragma once
/// Orders callers that start the engine of one installation.

#include <string>

/// An exclusive lock on a file, held from Acquire until Release or destruction.
class CCallerLock {
public:
    CCallerLock() = default;
    ~CCallerLock();
    CCallerLock(const CCallerLock&) = delete;
    CCallerLock& operator=(const CCallerLock&) = delete;

    /// Creates `path` when missing and waits without limit until no other caller holds it;
    /// false when the file cannot be opened or locked.
    bool Acquire(const std::string& path);
    void Release();

private:
    int m_fd = -1;
};
