#pragma once
/// The SPX printer's conversation: the handshake message that opens it, the answers to it
/// and the header in front of every message sent.

#include <cstddef>
#include <cstdint>

namespace spx_framing {

constexpr std::size_t kHandshakeSize = 10;
/// 0x10 and nine zero bytes.
extern const char kHandshake[kHandshakeSize];

constexpr std::size_t kDataHeaderSize = 6;

/// Puts the data header (0x12 and five zero bytes) and then `length` bytes of `data` into
/// `target`, which has room for both.
void Frame(const char* data, std::uint32_t length, char* target);

/// True when the reply answers the handshake (its first byte is 0x10).
bool IsHandshakeReply(const char* reply, std::uint32_t size);
/// True when the reply's second byte is 0x00; a reply without one accepts nothing.
bool Accepts(const char* reply, std::uint32_t size);

}  // namespace spx_framing
