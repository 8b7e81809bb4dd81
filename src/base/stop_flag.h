#pragma once
/// The engine's stop flag: clear when the server starts, set once by the exit page, never
/// cleared again; read by every thread without a lock.

#include <atomic>

class CStopFlag {
public:
    void Set() { m_set = true; }
    bool IsSet() const { return m_set; }

private:
    std::atomic<bool> m_set{false};
};
