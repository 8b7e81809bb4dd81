#pragma once
/// One selector at a time: the first instance holds the named mutex "PrinterListMutex", and a
/// later one brings the first one's window to the front and leaves.

#include <windows.h>

#include <string>

class SelectorLog;

class SelectorInstance {
public:
    enum class Claim { First, AnotherRuns, Failed };

    SelectorInstance() = default;
    SelectorInstance(const SelectorInstance&) = delete;
    SelectorInstance& operator=(const SelectorInstance&) = delete;
    /// Closes the mutex, so that the next selector may start.
    ~SelectorInstance();

    /// Creates the mutex, not owned; logs when it cannot be made or another instance holds it.
    Claim ClaimMutex(SelectorLog& log);

private:
    HANDLE m_mutex = nullptr;
};

/// Restores the top-level window whose title is exactly `title` if it is minimised and brings
/// it to the foreground; false when there is no such window or it did not come forward.
bool BringWindowToFront(const std::string& title);
