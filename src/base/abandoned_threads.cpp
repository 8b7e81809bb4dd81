#include "base/abandoned_threads.h"

#include <mutex>

#include "base/win_thread.h"

namespace {

struct Abandoned {
    std::unique_ptr<CWinThread> thread;
    std::vector<std::shared_ptr<void>> inUse;
};

struct Keeper {
    std::mutex lock;
    std::vector<Abandoned> threads;
};

// Never destroyed: a thread still running at exit must not find its objects freed under it.
Keeper& TheKeeper() {
    static Keeper* keeper = new Keeper;
    return *keeper;
}

}  // namespace

void AbandonThread(std::unique_ptr<CWinThread> thread, std::vector<std::shared_ptr<void>> inUse) {
    Keeper& keeper = TheKeeper();
    std::lock_guard<std::mutex> hold(keeper.lock);
    auto& threads = keeper.threads;
    for (auto it = threads.begin(); it != threads.end();) {
        if (it->thread->IsFinished()) {
            // Joined so the system's thread is released; it has already returned.
            it->thread->Wait();
            it = threads.erase(it);
        } else {
            ++it;
        }
    }
    threads.push_back(Abandoned{std::move(thread), std::move(inUse)});
}
