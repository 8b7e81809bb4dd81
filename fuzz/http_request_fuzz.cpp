// Parses arbitrary bytes as a received request and as a received response, frames them as a
// connection would, and decides on their admission. The input sits in a heap block of exactly
// its size, so AddressSanitizer reports any read past its end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "http/http_request.h"
#include "http/http_response.h"
#include "http/request_admission.h"
#include "http/request_framer.h"

namespace {

void Check(bool holds) {
    if (!holds) std::abort();
}

bool Contains(const std::string& text, const char* piece) {
    return text.find(piece) != std::string::npos;
}

void CheckHeaders(const TextMap& headers, const std::string& input) {
    if (!headers.empty()) Check(Contains(input, "\r\n"));
    for (const auto& header : headers) {
        Check(!header.first.empty());
        Check(!Contains(header.first, ":") && !Contains(header.first, "\r\n"));
        Check(!Contains(header.second, "\r\n"));
    }
}

void CheckRequest(const std::string& input) {
    CHttpRequest request;
    request.Parse(input.data(), static_cast<int>(input.size()));
    const std::string& method = request.GetMethod();
    Check(!Contains(method, " "));
    Check(input.compare(0, method.size(), method) == 0);
    if (method.empty()) {
        Check(request.GetPath().empty() && request.GetVersion().empty() &&
              request.GetHeaders().empty());
    }
    Check(!Contains(request.GetPath(), " ") && !Contains(request.GetQuery(), " "));
    Check(!Contains(request.GetVersion(), "\r\n"));
    // A query exists only behind a path of at least one byte.
    if (!request.GetQuery().empty()) Check(!request.GetPath().empty());
    Check(request.GetQuery().size() <= input.size());
    for (const auto& parameter : request.GetParameters()) {
        Check(!parameter.second.empty());
        Check(parameter.second.size() <= request.GetQuery().size());
        if (parameter.first == "prtaddr" || parameter.first == "prttype" ||
            parameter.first == "prtname") {
            Check(request.GetPath() == "tavrin_module.html");
        }
    }
    CheckHeaders(request.GetHeaders(), input);
}

void CheckResponse(const std::string& input) {
    // A version holding a space can never be parsed, so it shows that nothing was read.
    const std::string unset = "not set";
    CHttpResponse response(unset);
    response.Parse(input.data(), static_cast<int>(input.size()));
    if (response.GetVersion() == unset) {
        Check(response.GetStatus() == 200 && response.GetReason().empty() &&
              response.GetHeaders().empty());
    } else {
        Check(!response.GetVersion().empty() && !Contains(response.GetVersion(), " "));
    }
    Check(!Contains(response.GetReason(), "\r\n"));
    CheckHeaders(response.GetHeaders(), input);
}

/// Every request handed out has CR LF line ends only, the status line version is well formed,
/// and a request whose Host names no local name is never admitted.
void CheckFramingAndAdmission(const std::string& input) {
    CRequestFramer framer;
    const std::size_t half = input.size() / 2;
    framer.Append(input.data(), half);
    framer.Append(input.data() + half, input.size() - half);
    const CLocalNames names("10.1.2.3", "plotroom");
    while (framer.HasWholeRequest()) {
        const std::string request = framer.TakeRequest();
        Check(!request.empty());
        for (std::size_t i = 0; i < request.size(); ++i) {
            if (request[i] == '\n') Check(i > 0 && request[i - 1] == '\r');
        }
        CHttpRequest parsed;
        parsed.Parse(request.data(), static_cast<int>(request.size()));
        const std::string version = StatusLineVersion(parsed.GetVersion());
        Check(version.size() == 8 && version.compare(0, 5, "HTTP/") == 0);
        const AdmissionVerdict verdict = AdmitRequest(parsed, names);
        if (verdict.admission == Admission::Admitted) {
            for (const auto& header : parsed.GetHeaders()) {
                if (header.first == "Host") {
                    Check(!header.second.empty());
                }
            }
        } else {
            Check(!parsed.GetHeaders().empty());
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    CheckRequest(input);
    CheckResponse(input);
    CheckFramingAndAdmission(input);
    // The raw block itself, not a copy, so reads beyond `size` hit the redzone.
    CHttpRequest raw;
    raw.Parse(reinterpret_cast<const char*>(data), static_cast<int>(size));
    return 0;
}
