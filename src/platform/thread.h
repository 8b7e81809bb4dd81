#pragma once
/// An operating-system thread: created, joined or killed, nothing more.

#include <memory>

namespace platform {

class Thread {
public:
    using Routine = void (*)(void* parameter);

    virtual ~Thread() = default;  // releases the OS handle; never stops or waits for the thread

    /// Starts `routine(parameter)` on a new thread with the default stack size; null on failure.
    static std::unique_ptr<Thread> Start(Routine routine, void* parameter);

    /// Waits without a time limit for the thread to end.
    virtual void Join() = 0;
    /// Kills the thread; true when the system did so.
    virtual bool Kill() = 0;
};

/// To be called first inside a catch-all of a thread routine: lets a thread cancellation
/// of the POSIX layer (an unwinding that must not be swallowed) go on unwinding.
void RethrowIfThreadCancellation();

}  // namespace platform
