#pragma once
/// The live connections of one server: each entry owns a connection's handler, thread object
/// and socket. Only the accepting thread changes it; the count may be read by any thread.

#include <atomic>
#include <list>
#include <memory>

class CRunnable;
class CWinHttpSocket;
class CWinThread;

class CConnectionList {
public:
    struct Entry {
        std::unique_ptr<CRunnable> handler;
        std::unique_ptr<CWinThread> thread;
        std::unique_ptr<CWinHttpSocket> socket;
    };

    CConnectionList();
    ~CConnectionList();
    CConnectionList(const CConnectionList&) = delete;
    CConnectionList& operator=(const CConnectionList&) = delete;

    void Append(Entry entry);
    /// Frees every entry whose thread has finished.
    void ReclaimFinished();
    /// Waits for every thread in list order and frees its entry.
    void WaitForAll();
    /// How many connections are in the list (finished ones stay until reclaimed).
    int Count() const { return m_count.load(); }

private:
    void Remove(std::list<Entry>::iterator entry);

    std::list<Entry> m_entries;
    std::atomic<int> m_count{0};
};
