#pragma once
/// Work that a thread object runs.

class CRunnable {
public:
    virtual ~CRunnable() = default;
    virtual void Run() = 0;
};
