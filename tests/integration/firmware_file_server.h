#pragma once
// A web server on loopback with one firmware file, as the page a user opens a ".fmw" from.

#include <atomic>
#include <string>
#include <thread>

namespace integration {

/// Answers GET /firmware.fmw on 127.0.0.1 with `bytes`, anything else with 404.
class FirmwareFileServer {
public:
    explicit FirmwareFileServer(std::string bytes);
    ~FirmwareFileServer();
    FirmwareFileServer(const FirmwareFileServer&) = delete;
    FirmwareFileServer& operator=(const FirmwareFileServer&) = delete;

    /// 0 when the server could not listen.
    int Port() const { return m_port; }
    /// "http://127.0.0.1:PORT/firmware.fmw"
    std::string Address() const;
    /// The requests answered so far.
    int Requests() const { return m_requests; }

private:
    void Serve();

    std::string m_bytes;
    int m_socket = -1;
    int m_port = 0;
    std::atomic<int> m_requests{0};
    std::thread m_thread;
};

}  // namespace integration
