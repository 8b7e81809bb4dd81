#include "http/connection_list.h"

#include <atomic>

#include "engine/win_thread.h"
#include "http/connection_handler.h"
#include "http/win_http_socket.h"

namespace {

std::atomic<int> g_connectionCount{0};

}  // namespace

int LiveConnectionCount() { return g_connectionCount.load(); }

CConnectionList& CConnectionList::Instance() {
    static CConnectionList list;
    return list;
}

void CConnectionList::Append(Entry entry) {
    m_entries.push_back(std::move(entry));
    ++g_connectionCount;
}

void CConnectionList::Remove(std::list<Entry>::iterator entry) {
    // The handler goes first: it refers to the socket.
    entry->handler.reset();
    entry->thread.reset();
    entry->socket.reset();
    m_entries.erase(entry);
    --g_connectionCount;
}

void CConnectionList::ReclaimFinished() {
    for (auto entry = m_entries.begin(); entry != m_entries.end();) {
        auto next = std::next(entry);
        if (entry->thread->IsFinished()) Remove(entry);
        entry = next;
    }
}

void CConnectionList::WaitForAll() {
    while (!m_entries.empty()) {
        m_entries.front().thread->Wait();
        Remove(m_entries.begin());
    }
}
