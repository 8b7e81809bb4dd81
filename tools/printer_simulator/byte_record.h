#pragma once
/// The simulator's record of everything a printer was sent, appended as it arrives.

#include <cstddef>
#include <cstdio>
#include <string>

class CByteRecord {
public:
    /// An empty path keeps nothing.
    explicit CByteRecord(const std::string& path);
    ~CByteRecord();
    CByteRecord(const CByteRecord&) = delete;
    CByteRecord& operator=(const CByteRecord&) = delete;

    /// False when the file could not be opened.
    bool IsUsable() const { return m_path.empty() || m_file != nullptr; }
    /// Flushed at once, so a reader of the file sees every byte that was received.
    void Append(const char* data, std::size_t size);

private:
    std::string m_path;
    std::FILE* m_file = nullptr;
};
