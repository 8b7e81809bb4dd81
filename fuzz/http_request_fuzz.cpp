// Parses arbitrary bytes as a received request and as a received response. The input sits in
// a heap block of exactly its size, so AddressSanitizer reports any read past its end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "http/http_request.h"
#include "http/http_response.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    CheckRequest(input);
    CheckResponse(input);
    // The raw block itself, not a copy, so reads beyond `size` hit the redzone.
    CHttpRequest raw;
    raw.Parse(reinterpret_cast<const char*>(data), static_cast<int>(size));
    return 0;
}
