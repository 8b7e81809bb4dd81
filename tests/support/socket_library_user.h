#pragma once
// Keeps the system's socket library started for the life of a test that uses sockets without
// an engine (the engine starts it itself).

#include "platform/socket_library.h"

class SocketLibraryUser {
public:
    SocketLibraryUser() : m_started(platform::StartSocketLibrary()) {}
    ~SocketLibraryUser() {
        if (m_started) platform::StopSocketLibrary();
    }
    SocketLibraryUser(const SocketLibraryUser&) = delete;
    SocketLibraryUser& operator=(const SocketLibraryUser&) = delete;

    bool Started() const { return m_started; }

private:
    bool m_started;
};
