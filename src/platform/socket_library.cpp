#include "platform/socket_library.h"

#include <utility>

#include "platform/socket_system.h"

namespace platform {

SocketLibraryCount::SocketLibraryCount(StartUp startUp, CleanUp cleanUp)
    : m_startUp(std::move(startUp)), m_cleanUp(std::move(cleanUp)) {}

std::uint32_t SocketLibraryCount::Start(std::uint16_t& grantedVersion) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_users == 0) {
        std::uint16_t granted = 0;
        const std::uint32_t error = m_startUp(granted);
        if (error != 0) return error;
        m_grantedVersion = granted;
    }
    ++m_users;
    grantedVersion = m_grantedVersion;
    return 0;
}

void SocketLibraryCount::Stop() {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_users == 0) return;
    if (--m_users == 0) m_cleanUp();
}

int SocketLibraryCount::Users() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_users;
}

bool StartSocketLibrary(SocketSystem& sockets) {
    std::uint16_t granted = 0;
    if (sockets.StartLibrary(granted) != 0) return false;
    if (granted != kSocketLibraryVersion) {
        sockets.StopLibrary();
        return false;
    }
    return true;
}

bool StartSocketLibrary() { return StartSocketLibrary(SocketSystem::System()); }

void StopSocketLibrary() { SocketSystem::System().StopLibrary(); }

}  // namespace platform
