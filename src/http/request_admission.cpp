#include "http/request_admission.h"

#include "http/engine_port.h"
#include "http/http_request.h"
#include "text/ascii_case.h"

namespace {

const char kHttpScheme[] = "http://";

std::string TrimmedBlanks(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

/// The values of every header whose name equals `name` in any letter case.
std::vector<std::string> HeaderValues(const CHttpRequest& request, const std::string& name) {
    std::vector<std::string> values;
    for (const auto& header : request.GetHeaders()) {
        if (EqualsIgnoringAsciiCase(header.first, name)) {
            values.push_back(TrimmedBlanks(header.second));
        }
    }
    return values;
}

/// True when `url` ("http://authority/...", the form of "Origin" and "Referer") leads to one
/// of the local names. Another scheme, user information or "null" lead elsewhere.
bool LeadsHere(const std::string& url, const CLocalNames& names) {
    const std::size_t schemeBytes = sizeof kHttpScheme - 1;
    if (!StartsWithIgnoringAsciiCase(url, kHttpScheme)) return false;
    const std::size_t end = url.find_first_of("/?#", schemeBytes);
    const std::string authority =
        url.substr(schemeBytes, end == std::string::npos ? std::string::npos : end - schemeBytes);
    if (authority.find('@') != std::string::npos) return false;
    return names.Names(authority);
}

}  // namespace

CLocalNames::CLocalNames(const std::string& ipAddress, const std::string& hostName) {
    for (const std::string& name :
         {std::string("localhost"), std::string("127.0.0.1"), ipAddress, hostName}) {
        if (name.empty()) continue;
        m_names.push_back(name);
        m_names.push_back(name + ":" + std::to_string(kEnginePort));
    }
}

bool CLocalNames::Names(const std::string& authority) const {
    for (const std::string& name : m_names) {
        if (EqualsIgnoringAsciiCase(authority, name)) return true;
    }
    return false;
}

AdmissionVerdict AdmitRequest(const CHttpRequest& request, const CLocalNames& names) {
    for (const std::string& host : HeaderValues(request, "Host")) {
        if (!names.Names(host)) return {Admission::ForeignHost, host};
    }
    bool namesASite = false;
    for (const char* header : {"Origin", "Referer"}) {
        for (const std::string& url : HeaderValues(request, header)) {
            if (!LeadsHere(url, names)) return {Admission::CrossSite, url};
            namesASite = true;
        }
    }
    if (namesASite) return {Admission::Admitted, std::string()};
    // A browser that withholds the page it comes from still tells whether that page was ours.
    for (const std::string& site : HeaderValues(request, "Sec-Fetch-Site")) {
        const std::string lower = ToLowerAscii(site);
        if (lower == "cross-site" || lower == "same-site") return {Admission::CrossSite, site};
    }
    return {Admission::Admitted, std::string()};
}
