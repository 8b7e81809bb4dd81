#include "http/http_request.h"

#include "text/url_coding.h"

namespace {

const std::string kCrLf = "\r\n";

// The bytes from `from` up to `to` (npos: to the end); empty when `to` lies before `from`.
std::string Between(const std::string& text, std::string::size_type from,
                    std::string::size_type to) {
    if (from >= text.size() || (to != std::string::npos && to <= from)) return std::string();
    return text.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

// The printer identity may only be handed over by the engine's own probe, which asks for this
// page without a leading "/"; a browser cannot forge it through an ordinary page.
bool IsPrinterIdentity(const std::string& name) {
    return name == "prttype" || name == "prtname" || name == "prtaddr";
}

const char kModuleCheckPage[] = "tavrin_module.html";

}  // namespace

void ParseHttpHeaderLines(const std::string& message, TextMap& headers) {
    std::string::size_type lineEnd = message.find(kCrLf);
    while (lineEnd != std::string::npos) {
        const std::string::size_type start = lineEnd + kCrLf.size();
        lineEnd = message.find(kCrLf, start);
        if (lineEnd == std::string::npos) break;  // a piece must end at a CR LF
        const std::string line = Between(message, start, lineEnd);
        const std::string::size_type colon = line.find(':');
        if (colon == std::string::npos || colon == 0) continue;
        // The colon and the byte after it are skipped unchecked: "a:bc" gives "c".
        headers[line.substr(0, colon)] = Between(line, colon + 2, std::string::npos);
    }
}

void CHttpRequest::Parse(const char* buffer, int count) {
    *this = CHttpRequest();
    const std::string data = buffer != nullptr && count > 0
                                 ? std::string(buffer, static_cast<std::size_t>(count))
                                 : std::string();

    const std::string::size_type firstSpace = data.find(' ');
    if (firstSpace == std::string::npos || firstSpace == 0) return;
    m_method = data.substr(0, firstSpace);

    const std::string::size_type secondSpace = data.find(' ', firstSpace + 1);
    if (secondSpace == std::string::npos) return;
    const std::string target = Between(data, firstSpace + 1, secondSpace);
    m_version = Between(data, secondSpace + 1, data.find(kCrLf, secondSpace + 1));

    const std::string::size_type question = target.find('?');
    if (question == std::string::npos || question == 0) {
        m_path = target;
    } else {
        m_path = target.substr(0, question);
        m_query = target.substr(question + 1);
        ParseQuery();
    }
    ParseHttpHeaderLines(data, m_headers);
}

void CHttpRequest::ParseQuery() {
    const bool keepsPrinterIdentity = m_path == kModuleCheckPage;
    std::string::size_type equals = m_query.find('=');
    if (equals == std::string::npos || equals == 0) return;
    std::string::size_type nameStart = 0;
    while (equals != std::string::npos) {
        // In "a=b=c&d" the next name would start after the "&" but end at the second "=":
        // such a name comes out empty.
        const std::string name = Between(m_query, nameStart, equals);
        const std::string::size_type ampersand = m_query.find('&', equals + 1);
        const std::string value = Between(m_query, equals + 1, ampersand);
        if (!value.empty() && (keepsPrinterIdentity || !IsPrinterIdentity(name))) {
            m_parameters[name] = UrlDecode(value);
        }
        // Without an "&" the next name starts over at the query's start: a=b=c also gives
        // the pair named "a=b".
        nameStart = ampersand == std::string::npos ? 0 : ampersand + 1;
        equals = m_query.find('=', equals + 1);
    }
}

std::string CHttpRequest::GetHeader(const std::string& name) const {
    const auto found = m_headers.find(name);
    return found == m_headers.end() ? std::string() : found->second;
}
