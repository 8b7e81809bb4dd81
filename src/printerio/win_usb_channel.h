#pragma once
/// The channel of kind 6: a USB printer reached through its device interface path, with
/// every transfer overlapped, bounded by the time limit and cancelled when it runs out.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/device_overlapped.h"
#include "printerio/channel_address.h"
#include "printerio/io_channel.h"
#include "printerio/io_utils.h"

class CWinUSBChannel : public CIOChannel {
public:
    static constexpr std::uint32_t kDefaultTimeout = 2000;
    /// Longest device path kept from the address.
    static constexpr std::size_t kMaxDevicePath = 259;

    explicit CWinUSBChannel(const CChannelAddress& address);
    /// Over `device` and `utils`; for tests that need another system.
    CWinUSBChannel(const CChannelAddress& address,
                   std::unique_ptr<platform::OverlappedDevice> device, CIOUtils& utils);
    CWinUSBChannel(const CWinUSBChannel&) = delete;
    CWinUSBChannel& operator=(const CWinUSBChannel&) = delete;
    ~CWinUSBChannel() override = default;

    std::uint32_t GetLastErrorCode() override { return m_lastError; }
    /// 65536 on Windows 9x and XP, 4096 elsewhere.
    std::uint32_t GetMaxChunkSize() override;
    bool Open(std::int32_t mode) override;
    /// True with the count in `size` once a read completes; false when the limit ran out.
    bool Read(char* buffer, std::uint32_t& size) override;
    /// True when every byte was written within the limit of each transfer.
    bool Write(const char* buffer, std::uint32_t length) override;
    std::uint32_t GetSize() override { return 0; }
    bool SetTimeout(std::uint32_t milliseconds) override;
    bool IsNetworkChannel() override { return false; }
    bool DeleteTarget() override { return false; }
    bool CreateTarget() override { return false; }

    const std::string& GetDevicePath() const { return m_devicePath; }

private:
    int CancelPendingIo();

    CChannelAddress m_address;
    std::string m_devicePath;
    std::unique_ptr<platform::OverlappedDevice> m_device;
    CIOUtils& m_utils;
    std::uint32_t m_timeout = kDefaultTimeout;
    std::uint32_t m_lastError = 0;
    std::uint32_t m_bytesRead = 0;
};
