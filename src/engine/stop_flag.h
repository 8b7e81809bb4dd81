#pragma once
/// The process-wide stop flag: cleared when the engine is built, set once by the exit page,
/// never cleared again; read by every thread without a lock.

#include <atomic>

std::atomic<bool>& EngineStopFlag();
