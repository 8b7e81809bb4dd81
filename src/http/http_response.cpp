#include "http/http_response.h"

#include <algorithm>
#include <limits>

#include "http/http_date.h"
#include "http/http_request.h"
#include "http/http_socket.h"
#include "text/c_number.h"

namespace {

const std::string kCrLf = "\r\n";

}  // namespace

std::string StatusLineVersion(const std::string& requestVersion) {
    auto isDigit = [](char byte) { return byte >= '0' && byte <= '9'; };
    const bool wellFormed =
        requestVersion.size() == 8 && requestVersion.compare(0, 5, "HTTP/") == 0 &&
        isDigit(requestVersion[5]) && requestVersion[6] == '.' && isDigit(requestVersion[7]);
    return wellFormed ? requestVersion : "HTTP/1.1";
}

CHttpResponse::CHttpResponse(const std::string& version)
    : m_body(std::ios::out | std::ios::binary), m_version(version) {}

void CHttpResponse::SetStatus(int code) { m_status = code; }

void CHttpResponse::SetStatus(int code, const std::string& reason) {
    if (m_sent) return;
    EmptyBody();
    m_status = code;
    m_reason = reason;
}

void CHttpResponse::SetHeader(const std::string& name, const std::string& value) {
    m_headers[name] = value;
}

void CHttpResponse::SetDateHeader(const std::string& name, std::int64_t secondsSinceEpoch) {
    SetHeader(name, FormatHttpDate(secondsSinceEpoch));
}

void CHttpResponse::SetContentType(const std::string& type) { m_contentType = type; }

void CHttpResponse::Reset() {
    if (m_sent) return;
    m_status = 200;
    m_reason.clear();
    m_headers.clear();
    EmptyBody();
}

void CHttpResponse::EmptyBody() {
    m_body.str(std::string());
    m_body.clear();
}

void CHttpResponse::Write(CHttpSocket& socket) {
    std::string wire = m_body.str();
    if (m_contentLength < 1) {
        const std::size_t limit =
            static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
        m_contentLength = static_cast<std::int32_t>(std::min(wire.size(), limit));
    }
    if (!m_sent) {
        std::string head = m_version + " " + std::to_string(m_status);
        if (!m_reason.empty()) head += " " + m_reason;
        head += kCrLf;
        for (const auto& header : m_headers) head += header.first + ": " + header.second + kCrLf;
        head += "Content-Length: " + std::to_string(m_contentLength) + kCrLf;
        if (!m_contentType.empty()) head += "Content-Type: " + m_contentType + kCrLf;
        head += kCrLf;
        wire.insert(0, head);
    }

    // One buffer, so that a blocking socket gets the whole message in as few calls as it
    // takes; a short write is continued from where it stopped.
    std::size_t offset = 0;
    while (offset < wire.size()) {
        const std::size_t rest = wire.size() - offset;
        const int piece = static_cast<int>(
            std::min(rest, static_cast<std::size_t>(std::numeric_limits<int>::max())));
        const int sent = socket.Send(wire.data() + offset, piece);
        if (sent <= 0) break;  // errors arrive as exceptions; 0 means nothing more goes out
        offset += static_cast<std::size_t>(std::min(sent, piece));
    }

    Reset();
    m_sent = true;
}

void CHttpResponse::Parse(const char* buffer, int count) {
    const std::string data = buffer != nullptr && count > 0
                                 ? std::string(buffer, static_cast<std::size_t>(count))
                                 : std::string();
    const std::string::size_type firstSpace = data.find(' ');
    if (firstSpace == std::string::npos || firstSpace == 0) return;
    m_version = data.substr(0, firstSpace);

    const std::string::size_type secondSpace = data.find(' ', firstSpace + 1);
    const std::string::size_type statusEnd =
        secondSpace == std::string::npos ? data.size() : secondSpace;
    m_status = ParseCNumber(data.substr(firstSpace + 1, statusEnd - firstSpace - 1));
    if (secondSpace != std::string::npos) {
        const std::string::size_type reasonEnd = data.find(kCrLf, secondSpace + 1);
        m_reason = data.substr(secondSpace + 1, reasonEnd == std::string::npos
                                                    ? std::string::npos
                                                    : reasonEnd - secondSpace - 1);
    }
    ParseHttpHeaderLines(data, m_headers);
}

std::string CHttpResponse::GetHeader(const std::string& name) const {
    const auto found = m_headers.find(name);
    return found == m_headers.end() ? std::string() : found->second;
}
