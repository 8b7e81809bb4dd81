#include "http/content_type.h"

#include "text/ascii_case.h"

namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::string ContentTypeOf(const std::string& fileName) {
    const std::string::size_type dot = fileName.rfind('.');
    if (dot == std::string::npos) return std::string();
    const std::string extension = ToLowerAscii(fileName.substr(dot + 1));
    if (extension == "gif") return "image/gif";
    if (extension == "js") return "text/javascript";
    if (extension == "css") return "text/css";
    if (extension == "xml") return "text/xml";
    return std::string();
}

bool IsHtmlPage(const std::string& path) {
    const std::string lower = ToLowerAscii(path);
    return EndsWith(lower, ".html") || EndsWith(lower, ".htm");
}
