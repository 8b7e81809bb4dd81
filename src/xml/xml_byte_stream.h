#pragma once
/// The parser's input: single-byte reads, an end test, and a push-back of up to two bytes.

#include <cstddef>
#include <string>

class CXMLByteStream {
public:
    /// Reads from a buffer that the caller keeps alive while the stream is used.
    CXMLByteStream(const char* data, std::size_t size) : m_data(data), m_size(size) {}
    explicit CXMLByteStream(const std::string& bytes)
        : CXMLByteStream(bytes.data(), bytes.size()) {}
    /// A temporary string would die before the stream is read.
    explicit CXMLByteStream(std::string&&) = delete;

    bool AtEnd() const { return m_pushedCount == 0 && m_position >= m_size; }
    /// The next byte (0-255), or -1 at the end.
    int Get();
    /// Returns `byte` so that the next Get yields it; at most two may be pending.
    void PushBack(int byte);

private:
    const char* m_data;
    std::size_t m_size;
    std::size_t m_position = 0;
    int m_pushed[2] = {0, 0};
    int m_pushedCount = 0;
};
