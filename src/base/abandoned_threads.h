#pragma once
/// Threads that overran their wait. They are never killed (a killed thread may hold a lock or
/// the heap for ever); they are kept here, with what they use, until they end by themselves.

#include <memory>
#include <vector>

class CWinThread;

/// Keeps `thread` and everything in `inUse` alive until the thread has finished; those already
/// finished are released on every call.
void AbandonThread(std::unique_ptr<CWinThread> thread, std::vector<std::shared_ptr<void>> inUse);
