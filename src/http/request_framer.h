#pragma once
/// Cuts the bytes received on one connection into whole requests: a request is everything up
/// to and including the blank line (CR LF CR LF, or LF LF) that ends its header block. Bytes after
/// it wait for the next request, so pipelined requests are answered one by one and in order.
/// Requests are handed out with every bare LF line end made CR LF, the only line end the
/// request parser knows.

#include <cstddef>
#include <string>

class CRequestFramer {
public:
    /// The largest header block accepted.
    static constexpr std::size_t kMaxHeaderBytes = 8192;

    void Append(const char* bytes, std::size_t count) { m_pending.append(bytes, count); }
    bool IsEmpty() const { return m_pending.empty(); }
    bool HasWholeRequest() const;
    /// True when no blank line came within the first kMaxHeaderBytes bytes.
    bool IsOverlong() const;
    /// The first whole request, removed from the pending bytes.
    std::string TakeRequest();
    /// Everything pending, for a peer that stopped sending before its blank line.
    std::string TakeAll();
    /// How many bytes the next Receive may add without passing the header limit (at least 1,
    /// so an overlong block is noticed).
    std::size_t RoomLeft() const;

    /// True when the request's header block announces a body (a non-zero "Content-Length" or
    /// any "Transfer-Encoding"; header names in any letter case).
    static bool AnnouncesBody(const std::string& request);

private:
    std::size_t EndOfFirstRequest() const;

    std::string m_pending;
};
