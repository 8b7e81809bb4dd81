#include "http/connection_list.h"

#include "base/runnable.h"
#include "base/win_thread.h"
#include "http/win_http_socket.h"

CConnectionList::CConnectionList() = default;

// Threads still running at this point would outlive their handlers.
CConnectionList::~CConnectionList() { WaitForAll(); }

void CConnectionList::Append(Entry entry) {
    m_entries.push_back(std::move(entry));
    ++m_count;
}

void CConnectionList::Remove(std::list<Entry>::iterator entry) {
    // The handler goes first: it refers to the socket.
    entry->handler.reset();
    entry->thread.reset();
    entry->socket.reset();
    m_entries.erase(entry);
    --m_count;
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
