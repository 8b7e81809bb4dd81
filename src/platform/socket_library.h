#pragma once
/// The socket library's start-up, shared by the engine's own sockets and the network
/// channels and counted by its users, so that one user's stop cannot pull the library from
/// under another.

#include <cstdint>
#include <functional>
#include <mutex>

namespace platform {

/// The count behind SocketSystem::StartLibrary/StopLibrary. The first start calls
/// `startUp`; a failed one does not count, so the next start tries again. Later starts only
/// count and report the version the first one was granted; the stop that brings the count
/// back to 0 calls `cleanUp`. A stop without a start is ignored.
class SocketLibraryCount {
public:
    /// 0 or the start-up error; on 0, `grantedVersion` holds the version granted.
    using StartUp = std::function<std::uint32_t(std::uint16_t& grantedVersion)>;
    using CleanUp = std::function<void()>;

    SocketLibraryCount(StartUp startUp, CleanUp cleanUp);

    std::uint32_t Start(std::uint16_t& grantedVersion);
    void Stop();
    int Users() const;

private:
    StartUp m_startUp;
    CleanUp m_cleanUp;
    mutable std::mutex m_lock;
    int m_users = 0;
    std::uint16_t m_grantedVersion = 0;
};

class SocketSystem;

/// The engine's start: asks `sockets` for version 1.1; true when the library runs with
/// exactly that version. When it reports another version this start has already been
/// stopped again.
bool StartSocketLibrary(SocketSystem& sockets);
/// Over SocketSystem::System().
bool StartSocketLibrary();
void StopSocketLibrary();

}  // namespace platform
