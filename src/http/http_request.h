#pragma once
/// One HTTP request as received in a single read. The parser never rejects anything: whatever
/// it cannot find stays empty, and the dispatcher answers what is there.

#include <string>

#include "text/text_map.h"

class CHttpRequest {
public:
    /// Splits `count` bytes at `buffer` (not NUL-terminated) into method, target, version,
    /// query parameters and headers. Never reads outside those bytes.
    void Parse(const char* buffer, int count);

    /// As received; the connection thread upper-cases its own copy.
    const std::string& GetMethod() const { return m_method; }
    /// The third token of the request line, e.g. "HTTP/1.1"; empty when missing.
    const std::string& GetVersion() const { return m_version; }
    /// The raw target before the first "?", leading "/" kept, not decoded.
    const std::string& GetPath() const { return m_path; }
    /// The raw text after the first "?", not decoded.
    const std::string& GetQuery() const { return m_query; }
    /// Switches the request to another page, e.g. an error page.
    void SetPath(const std::string& path) { m_path = path; }

    /// Value of the header named exactly `name`; empty when there is none.
    std::string GetHeader(const std::string& name) const;
    /// Query values, URL-decoded, by raw name. The dispatcher adds its own entries.
    TextMap& GetParameters() { return m_parameters; }
    const TextMap& GetParameters() const { return m_parameters; }
    const TextMap& GetHeaders() const { return m_headers; }

private:
    void ParseQuery();

    std::string m_version;
    std::string m_method;
    std::string m_query;
    std::string m_path;
    TextMap m_parameters;
    TextMap m_headers;
};

/// Reads header lines from the first CR LF of `message` on: every piece that ends at a CR LF
/// and holds a ":" above position 0 gives a name (before the colon) and a value (from two
/// bytes after it). The empty line that ends a header block does not stop the scan.
/// Shared by the request parser and the received-response parser.
void ParseHttpHeaderLines(const std::string& message, TextMap& headers);
