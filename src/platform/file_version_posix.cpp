#include "platform/file_version.h"

namespace platform {

namespace {

// ELF programs carry no version resource: every file reports none.
class PosixFileVersionInfo : public FileVersionInfo {
public:
    std::uint32_t Size(const std::string&) override { return 0; }
    bool Read(const std::string&, std::uint32_t, std::vector<unsigned char>*) override {
        return false;
    }
    bool QueryRoot(const std::vector<unsigned char>&, FileVersionNumbers*) override {
        return false;
    }
};

}  // namespace

FileVersionInfo& FileVersionInfo::System() {
    static PosixFileVersionInfo info;
    return info;
}

}  // namespace platform
