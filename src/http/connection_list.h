#pragma once
/// The process-wide list of live connections: each entry owns a connection's handler, thread
/// object and socket. Only the main thread changes it; the count may be read by any thread.

#include <list>
#include <memory>

class CConnectionHandler;
class CWinHttpSocket;
class CWinThread;

/// How many connections are in the list (finished ones stay until reclaimed).
int LiveConnectionCount();

class CConnectionList {
public:
    struct Entry {
        std::unique_ptr<CConnectionHandler> handler;
        std::unique_ptr<CWinThread> thread;
        std::unique_ptr<CWinHttpSocket> socket;
    };

    static CConnectionList& Instance();

    void Append(Entry entry);
    /// Frees every entry whose thread has finished.
    void ReclaimFinished();
    /// Waits for every thread in list order and frees its entry.
    void WaitForAll();

private:
    void Remove(std::list<Entry>::iterator entry);

    std::list<Entry> m_entries;
};
