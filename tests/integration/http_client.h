#pragma once
// A plain TCP client for talking HTTP to the engine over loopback, byte for byte.

#include <map>
#include <string>

namespace integration {

struct HttpAnswer {
    bool complete = false;  // a status line, headers and the announced body arrived
    std::string statusLine;
    int status = 0;
    std::string reason;
    std::map<std::string, std::string> headers;  // names as sent
    std::string headerBlock;                     // status line to blank line, as sent
    std::string body;

    bool Has(const std::string& name) const { return headers.count(name) != 0; }
    std::string Header(const std::string& name) const {
        auto found = headers.find(name);
        return found == headers.end() ? std::string() : found->second;
    }
};

class HttpConnection {
public:
    /// Connects to `address` (dotted) and `port`; IsOpen tells whether it worked.
    explicit HttpConnection(const std::string& address = "127.0.0.1", int port = 8190);
    ~HttpConnection();
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    bool Send(const std::string& bytes);
    /// Reads one answer, waiting at most `timeoutSeconds` in all; bytes after it are kept
    /// for the next call.
    HttpAnswer ReadAnswer(double timeoutSeconds = 10);
    /// True when the first read after the answer begins to arrive holds all of it.
    bool FirstReadIsWholeAnswer(double timeoutSeconds = 10);
    /// True when the server closes the connection within `timeoutSeconds` (nothing more to
    /// read); false when it is still open then, or sent bytes.
    bool ClosedByPeerWithin(double timeoutSeconds);
    /// Seconds until the server closes the connection, or a negative value when it stays
    /// open for `limitSeconds`.
    double SecondsUntilClosed(double limitSeconds);

private:
    /// Appends what arrives within `timeoutSeconds`; false on time-out, and `peerClosed`
    /// when the server closed.
    bool ReadMore(double timeoutSeconds, bool& peerClosed);

    int m_fd = -1;
    std::string m_pending;
};

/// Opens a connection, sends `request` and reads one answer.
HttpAnswer Exchange(const std::string& request, double timeoutSeconds = 10);

/// "GET <target> HTTP/1.1" with a Host header and the given extra header lines.
std::string GetRequest(const std::string& target, const std::string& extraHeaders = "",
                       const std::string& version = "HTTP/1.1");

}  // namespace integration
