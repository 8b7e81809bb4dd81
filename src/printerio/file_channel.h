#pragma once
/// The channel of kind 8: a disk file read in place of a printer's answer.

#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "platform/device_file.h"
#include "printerio/channel_address.h"
#include "printerio/io_channel.h"

class CFileChannel : public CIOChannel {
public:
    static constexpr std::uint32_t kMaxChunkSize = 32768;

    explicit CFileChannel(const CChannelAddress& address);
    /// Over `files` and `clock`; for tests that need another system.
    CFileChannel(const CChannelAddress& address, platform::DeviceFiles& files,
                 platform::Clock& clock);
    CFileChannel(const CFileChannel&) = delete;
    CFileChannel& operator=(const CFileChannel&) = delete;
    ~CFileChannel() override;

    std::uint32_t GetLastErrorCode() override { return m_lastError; }
    std::uint32_t GetMaxChunkSize() override { return kMaxChunkSize; }
    /// Modes 3 and 4 name the file relative to the working directory; the others as it stands.
    bool Open(std::int32_t mode) override;
    /// True when at least one byte was read.
    bool Read(char* buffer, std::uint32_t& size) override;
    bool Write(const char* buffer, std::uint32_t length) override;
    /// The open file's size; 0 when none is open.
    std::uint32_t GetSize() override;
    bool SetTimeout(std::uint32_t milliseconds) override;
    bool IsNetworkChannel() override { return false; }
    /// Closes and deletes the file; true when the deletion FAILED.
    bool DeleteTarget() override;
    /// Creates the file when missing; true when it could be opened.
    bool CreateTarget() override;

    /// The path and the access text ("rb" or "r") of the last Open.
    const std::string& GetPath() const { return m_path; }
    const std::string& GetAccess() const { return m_access; }

private:
    void CloseFile();

    CChannelAddress m_address;
    platform::DeviceFiles& m_files;
    platform::Clock& m_clock;
    platform::DeviceHandle m_file = platform::kNoDevice;
    std::string m_path;
    std::string m_access;
    std::uint32_t m_timeoutSeconds = 0;
    std::uint32_t m_lastError = 0;
};
