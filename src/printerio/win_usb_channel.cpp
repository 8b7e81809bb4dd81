#include "printerio/win_usb_channel.h"

#include <utility>

#include "platform/trace.h"

namespace {

void WriteIOCompletionRoutine() { platform::Trace("WriteIOCompletionRoutine called:\r\n"); }

void ReadIOCompletionRoutine() { platform::Trace("ReadIOCompletionRoutine called:\r\n"); }

}  // namespace

CWinUSBChannel::CWinUSBChannel(const CChannelAddress& address)
    : CWinUSBChannel(address, platform::OverlappedDevice::Create(), CIOUtils::Instance()) {}

CWinUSBChannel::CWinUSBChannel(const CChannelAddress& address,
                               std::unique_ptr<platform::OverlappedDevice> device, CIOUtils& utils)
    : m_address(address),
      m_devicePath(std::string(address.GetAddress()).substr(0, kMaxDevicePath)),
      m_device(std::move(device)),
      m_utils(utils) {}

std::uint32_t CWinUSBChannel::GetMaxChunkSize() {
    const std::int32_t osClass = m_utils.OsClass();
    return osClass == 2 || osClass == 5 ? 65536 : 4096;
}

bool CWinUSBChannel::Open(std::int32_t mode) {
    if (mode != CChannelAddress::kModeNotSet) m_address.SetMode(mode);
    if (!m_device->Open(m_devicePath)) {
        m_lastError = m_device->LastError();
        return false;
    }
    return true;
}

bool CWinUSBChannel::SetTimeout(std::uint32_t milliseconds) {
    m_timeout = milliseconds;
    return true;
}

bool CWinUSBChannel::Write(const char* buffer, std::uint32_t length) {
    platform::Trace("CWinUSBChannel::Write called:\r\n");
    if (!m_device->IsOpen() || buffer == nullptr) return false;
    std::uint32_t remaining = length;
    while (remaining > 0) {
        const bool started = m_device->StartWrite(buffer, remaining, &WriteIOCompletionRoutine);
        m_lastError = m_device->LastError();
        if (!started) return false;
        if (m_device->Wait(platform::Transfer::Write, m_timeout) !=
            platform::WaitOutcome::IoCompletion) {
            m_lastError = m_device->LastError();
            CancelPendingIo();
            return false;
        }
        std::uint32_t count = 0;
        const bool completed = m_device->Result(platform::Transfer::Write, &count);
        m_lastError = m_device->LastError();
        if (count > remaining) count = remaining;
        buffer += count;
        remaining -= count;
        // A transfer that failed or moved nothing would only repeat itself.
        if (!completed || count == 0) return remaining == 0;
    }
    return true;
}

bool CWinUSBChannel::Read(char* buffer, std::uint32_t& size) {
    platform::Trace("CWinUSBChannel::Read called:\r\n");
    if (!m_device->IsOpen() || buffer == nullptr) return false;
    // A read that cannot start is not told apart: its wait runs out.
    m_device->StartRead(buffer, size, &ReadIOCompletionRoutine);
    switch (m_device->Wait(platform::Transfer::Read, m_timeout)) {
        case platform::WaitOutcome::IoCompletion: {
            std::uint32_t count = 0;
            m_device->Result(platform::Transfer::Read, &count);
            m_lastError = m_device->LastError();
            m_bytesRead = count;
            size = count;
            return true;
        }
        case platform::WaitOutcome::Signalled:
        case platform::WaitOutcome::TimedOut:
        case platform::WaitOutcome::Abandoned:
            m_lastError = m_device->LastError();
            CancelPendingIo();
            return false;
        case platform::WaitOutcome::Failed:
            break;
    }
    m_bytesRead = 0;
    size = 0;
    return true;
}

int CWinUSBChannel::CancelPendingIo() { return m_device->CancelPendingIo(); }
