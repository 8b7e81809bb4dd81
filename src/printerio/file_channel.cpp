#include "printerio/file_channel.h"

CFileChannel::CFileChannel(const CChannelAddress& address)
    : CFileChannel(address, platform::DeviceFiles::System(), platform::Clock::System()) {}

CFileChannel::CFileChannel(const CChannelAddress& address, platform::DeviceFiles& files,
                           platform::Clock& clock)
    : m_address(address), m_files(files), m_clock(clock) {}

CFileChannel::~CFileChannel() { CloseFile(); }

void CFileChannel::CloseFile() {
    m_files.Close(m_file);
    m_file = platform::kNoDevice;
}

bool CFileChannel::Open(std::int32_t mode) {
    if (mode != CChannelAddress::kModeNotSet) m_address.SetMode(mode);
    const std::int32_t stored = m_address.GetMode();
    m_path = stored == 3 || stored == 4 ? m_files.CurrentDirectory() + "\\" + m_address.GetAddress()
                                        : std::string(m_address.GetAddress());
    m_access = stored == 3 || stored == 6 ? "rb" : "r";
    CloseFile();
    m_file = m_files.Open(m_path, platform::DeviceOpen::SharedRead);
    m_lastError = m_files.LastError();
    return m_file != platform::kNoDevice;
}

bool CFileChannel::Read(char* buffer, std::uint32_t& size) {
    std::uint32_t count = 0;
    const bool ok = m_file != platform::kNoDevice && m_files.Read(m_file, buffer, size, &count);
    if (!ok) m_lastError = m_files.LastError();
    size = count;
    return ok && count > 0;
}

bool CFileChannel::Write(const char* /*buffer*/, std::uint32_t /*length*/) { return false; }

std::uint32_t CFileChannel::GetSize() {
    return m_file == platform::kNoDevice ? 0 : m_files.Size(m_file);
}

bool CFileChannel::SetTimeout(std::uint32_t milliseconds) {
    m_timeoutSeconds = milliseconds / 1000;
    return true;
}

bool CFileChannel::DeleteTarget() {
    CloseFile();
    m_clock.Sleep(500);
    return !m_files.Delete(m_path);
}

bool CFileChannel::CreateTarget() {
    const platform::DeviceHandle file =
        m_files.Open(m_path, platform::DeviceOpen::SharedReadOpenAlways);
    if (file == platform::kNoDevice) {
        m_lastError = m_files.LastError();
        return false;
    }
    m_files.Close(file);
    return true;
}
