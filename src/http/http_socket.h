#pragma once
/// The engine's TCP socket: the listener, each accepted connection and the start-up probe.
/// Every failure is reported by throwing a heap-allocated exception of the family in
/// base/tavrin_exception.h.

#include <cstdint>

class CHttpSocket {
public:
    virtual ~CHttpSocket() = default;

    /// Opens a TCP socket; returns the new handle.
    virtual std::uint32_t Create() = 0;
    /// IPv4 address and port in host byte order; returns 0.
    virtual int Connect(std::uint32_t address, std::uint16_t port) = 0;
    /// Address 0 stands for every local interface; returns 0.
    virtual int Bind(std::uint32_t address, std::uint16_t port) = 0;
    /// Backlog 50; the listening socket is non-blocking afterwards.
    virtual int Listen() = 0;
    /// False when no connection is pending; the accepted socket goes into `target`.
    virtual bool Accept(CHttpSocket& target) = 0;
    /// True when a Receive will not block (data waiting, or the peer has closed).
    virtual bool HasData(std::uint32_t timeoutMilliseconds) = 0;
    /// Bytes received; 0 when the peer has closed.
    virtual int Receive(char* buffer, int length) = 0;
    /// Bytes handed to the system in one call.
    virtual int Send(const char* buffer, int length) = 0;
    virtual int Close() = 0;
};
