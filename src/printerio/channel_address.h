#pragma once
/// The printer's address as a channel needs it: address text, zone, kind and mode.

#include <cstdint>

class CChannelAddress {
public:
    /// The kinds of channel an address can stand for.
    static constexpr std::int32_t kKindTcpIp = 0;
    static constexpr std::int32_t kKindIpx = 1;
    static constexpr std::int32_t kKindAppleTalk = 3;
    static constexpr std::int32_t kKindParallel = 4;
    static constexpr std::int32_t kKindUsb = 6;
    static constexpr std::int32_t kKindFile = 8;
    /// The mode callers give when `Open` is to choose.
    static constexpr std::int32_t kModeNotSet = 9;
    /// Longest text kept in either field; longer texts are cut.
    static constexpr int kMaxText = 255;

    /// Copies at most 255 characters of `address` (null stores an empty text); the zone is empty.
    CChannelAddress(const char* address, std::int32_t kind, std::int32_t mode);
    CChannelAddress(const CChannelAddress& other) = default;
    CChannelAddress& operator=(const CChannelAddress& other) = default;

    void SetAddress(const char* address);
    void SetZone(const char* zone);
    void SetKind(std::int32_t kind) { m_kind = kind; }
    void SetMode(std::int32_t mode) { m_mode = mode; }

    const char* GetAddress() const { return m_address; }
    const char* GetZone() const { return m_zone; }
    std::int32_t GetKind() const { return m_kind; }
    std::int32_t GetMode() const { return m_mode; }

private:
    char m_address[kMaxText + 1];
    char m_zone[kMaxText + 1];
    std::int32_t m_kind;
    std::int32_t m_mode;
};
