#pragma once
/// One HTTP response: status, headers and an in-memory body, written to the socket in one
/// piece. Also reads a received response, for the start-up probe of a second engine.

#include <cstdint>
#include <ostream>
#include <sstream>
#include <string>

#include "text/text_map.h"

class CHttpSocket;

/// The version a response to a request of `requestVersion` carries: the request's own when it
/// reads "HTTP/" digit "." digit, else "HTTP/1.1", so a request never shapes the status line.
std::string StatusLineVersion(const std::string& requestVersion);

class CHttpResponse {
public:
    /// `version` is the request's, written at the start of the status line.
    explicit CHttpResponse(const std::string& version);

    /// Stores the code only; the body and the reason stay.
    void SetStatus(int code);
    /// Unless already sent: empties the body, then stores code and reason (empty: none).
    void SetStatus(int code, const std::string& reason);
    /// Setting a name again replaces its value.
    void SetHeader(const std::string& name, const std::string& value);
    /// The time as an HTTP date in GMT, e.g. "Thu, 01 Jan 1970 00:00:00 GMT".
    void SetDateHeader(const std::string& name, std::int64_t secondsSinceEpoch);
    /// Empty: no "Content-Type" line.
    void SetContentType(const std::string& type);

    /// Writers append here; bytes are kept as they are.
    std::ostream& GetBody() { return m_body; }
    std::string GetBodyBytes() const { return m_body.str(); }
    /// The response variables that the command run fills and page expansion reads.
    TextMap& GetVariables() { return m_variables; }

    /// Unless already sent: status 200, no reason, no headers, empty body. Content type and
    /// variables stay.
    void Reset();
    /// Sends status line, headers and body as one buffer, continuing after short writes.
    /// Afterwards the response is reset and marked sent, and a further write sends only the
    /// (empty) body. Socket failures propagate as the socket's exceptions.
    void Write(CHttpSocket& socket);

    /// Reads version, status, reason and headers of `count` received bytes (not
    /// NUL-terminated). Whatever cannot be found keeps its value.
    void Parse(const char* buffer, int count);

    int GetStatus() const { return m_status; }
    const std::string& GetReason() const { return m_reason; }
    const std::string& GetVersion() const { return m_version; }
    /// Value of the header named exactly `name`; empty when there is none.
    std::string GetHeader(const std::string& name) const;
    const TextMap& GetHeaders() const { return m_headers; }
    bool IsSent() const { return m_sent; }
    /// -1 until written; then the length that was announced.
    std::int32_t GetContentLength() const { return m_contentLength; }

private:
    void EmptyBody();

    bool m_sent = false;
    std::ostringstream m_body;
    std::int32_t m_contentLength = -1;
    std::string m_contentType;
    std::string m_version;
    int m_status = 200;
    std::string m_reason;
    TextMap m_headers;
    TextMap m_variables;
};
