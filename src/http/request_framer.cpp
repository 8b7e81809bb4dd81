#include "http/request_framer.h"

#include "text/ascii_case.h"

namespace {

const char kBlankLine[] = "\r\n\r\n";
constexpr std::size_t kBlankLineBytes = 4;
// Hand-typed requests often end their lines with LF alone.
const char kBareBlankLine[] = "\n\n";
constexpr std::size_t kBareBlankLineBytes = 2;

bool IsBlank(char byte) { return byte == ' ' || byte == '\t'; }

std::string WithCrLfLineEnds(const std::string& bytes) {
    std::string framed;
    framed.reserve(bytes.size() + bytes.size() / 16);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) framed += '\r';
        framed += bytes[i];
    }
    return framed;
}

}  // namespace

std::size_t CRequestFramer::EndOfFirstRequest() const {
    std::size_t end = std::string::npos;
    std::size_t blank = m_pending.find(kBlankLine);
    if (blank != std::string::npos) end = blank + kBlankLineBytes;
    std::size_t bare = m_pending.find(kBareBlankLine);
    if (bare != std::string::npos && bare + kBareBlankLineBytes < end) {
        end = bare + kBareBlankLineBytes;
    }
    if (end != std::string::npos && end > kMaxHeaderBytes) return std::string::npos;
    return end;
}

bool CRequestFramer::HasWholeRequest() const { return EndOfFirstRequest() != std::string::npos; }

bool CRequestFramer::IsOverlong() const {
    return !HasWholeRequest() && m_pending.size() >= kMaxHeaderBytes;
}

std::string CRequestFramer::TakeRequest() {
    std::size_t end = EndOfFirstRequest();
    if (end == std::string::npos) return std::string();
    std::string request = WithCrLfLineEnds(m_pending.substr(0, end));
    m_pending.erase(0, end);
    return request;
}

std::string CRequestFramer::TakeAll() {
    std::string all;
    all.swap(m_pending);
    return WithCrLfLineEnds(all);
}

std::size_t CRequestFramer::RoomLeft() const {
    return m_pending.size() >= kMaxHeaderBytes ? 1 : kMaxHeaderBytes - m_pending.size();
}

bool CRequestFramer::AnnouncesBody(const std::string& request) {
    std::size_t lineStart = request.find("\r\n");
    while (lineStart != std::string::npos) {
        lineStart += 2;
        std::size_t lineEnd = request.find("\r\n", lineStart);
        std::string line = request.substr(
            lineStart, lineEnd == std::string::npos ? std::string::npos : lineEnd - lineStart);
        std::size_t colon = line.find(':');
        if (colon != std::string::npos) {
            std::string name = ToLowerAscii(line.substr(0, colon));
            std::size_t valueStart = colon + 1;
            while (valueStart < line.size() && IsBlank(line[valueStart])) ++valueStart;
            std::string value = line.substr(valueStart);
            if (name == "transfer-encoding") return true;
            if (name == "content-length" && value.find_first_not_of("0 \t") != std::string::npos) {
                return true;
            }
        }
        lineStart = lineEnd;
    }
    return false;
}
