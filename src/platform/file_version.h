#pragma once
/// A program file's version resource: how big it is, the block itself, and the fixed file
/// version in its root.

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

/// The file version of the root block (VS_FIXEDFILEINFO's dwFileVersionMS and
/// dwFileVersionLS): four 16-bit numbers, most significant first.
struct FileVersionNumbers {
    std::uint32_t mostSignificant = 0;
    std::uint32_t leastSignificant = 0;
};

class FileVersionInfo {
public:
    virtual ~FileVersionInfo() = default;

    static FileVersionInfo& System();

    /// GetFileVersionInfoSizeA: 0 when the file has no version resource (or is missing).
    virtual std::uint32_t Size(const std::string& path) = 0;
    /// GetFileVersionInfoA into `block`, which is made `size` bytes long.
    virtual bool Read(const std::string& path, std::uint32_t size,
                      std::vector<unsigned char>* block) = 0;
    /// VerQueryValueA of the root block ("\\").
    virtual bool QueryRoot(const std::vector<unsigned char>& block,
                           FileVersionNumbers* numbers) = 0;
};

}  // namespace platform
