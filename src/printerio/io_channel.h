#pragma once
/// One connection to a printer, whatever its kind. Nothing here throws: every operation
/// reports failure by its result and keeps the system or socket error for GetLastErrorCode.

#include <cstdint>

class CIOChannel {
public:
    /// Closes the connection.
    virtual ~CIOChannel() = default;

    /// The last system or socket error the channel recorded.
    virtual std::uint32_t GetLastErrorCode() = 0;
    /// The most bytes a caller should pass to one Write or ask of one Read.
    virtual std::uint32_t GetMaxChunkSize() = 0;
    /// `mode` other than 9 is first stored in the channel's address.
    virtual bool Open(std::int32_t mode) = 0;
    /// Reads at most `size` bytes; `size` then holds the count read.
    virtual bool Read(char* buffer, std::uint32_t& size) = 0;
    /// True when the data was accepted.
    virtual bool Write(const char* buffer, std::uint32_t length) = 0;
    /// 0 for every kind but the file channel.
    virtual std::uint32_t GetSize() = 0;
    /// The limit of later reads and writes.
    virtual bool SetTimeout(std::uint32_t milliseconds) = 0;
    virtual bool IsNetworkChannel() = 0;
    /// False for every kind but the file channel.
    virtual bool DeleteTarget() = 0;
    /// False for every kind but the file channel.
    virtual bool CreateTarget() = 0;
};
