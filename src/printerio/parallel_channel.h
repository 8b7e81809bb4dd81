#pragma once
/// The channel of kind 4: a parallel port named like "LPT1:", used synchronously.

#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "platform/device_file.h"
#include "platform/spooler_service.h"
#include "printerio/channel_address.h"
#include "printerio/io_channel.h"
#include "printerio/io_utils.h"

class CParallelChannel : public CIOChannel {
public:
    /// What the channel asks of the system; a test gives its own.
    struct System {
        platform::DeviceFiles& files;
        platform::SpoolerService& services;
        platform::Clock& clock;
        CIOUtils& utils;
    };

    static constexpr std::uint32_t kMaxChunkSize = 65536;
    static constexpr std::uint32_t kDefaultTimeout = 3000;

    explicit CParallelChannel(const CChannelAddress& address);
    CParallelChannel(const CChannelAddress& address, const System& system);
    CParallelChannel(const CParallelChannel&) = delete;
    CParallelChannel& operator=(const CParallelChannel&) = delete;
    /// Closes the port and starts the spooler service again, opened or not.
    ~CParallelChannel() override;

    std::uint32_t GetLastErrorCode() override { return m_lastError; }
    std::uint32_t GetMaxChunkSize() override { return kMaxChunkSize; }
    bool Open(std::int32_t mode) override;
    /// Reads until a call brings at least one byte or the time limit has passed.
    bool Read(char* buffer, std::uint32_t& size) override;
    /// Writes until all is out or the time limit has passed, pausing 100 ms after each call.
    bool Write(const char* buffer, std::uint32_t length) override;
    std::uint32_t GetSize() override { return 0; }
    bool SetTimeout(std::uint32_t milliseconds) override;
    bool IsNetworkChannel() override { return false; }
    bool DeleteTarget() override { return false; }
    bool CreateTarget() override { return false; }

private:
    bool OpenDriverDevice(const std::string& path);
    bool OpenRawDosDevice(const std::string& path);
    bool OpenPlain(const std::string& path);
    bool OpenThroughSpooler(const std::string& port);
    void StopSpooler();
    bool WaitForSpoolerToStop(platform::ServiceHandle service);
    platform::DeviceHandle OpenPort(const std::string& path, platform::DeviceOpen how);
    void ApplyTimeouts();

    CChannelAddress m_address;
    System m_system;
    platform::DeviceHandle m_port = platform::kNoDevice;
    std::uint32_t m_timeout = kDefaultTimeout;
    std::uint32_t m_lastError = 0;
};
