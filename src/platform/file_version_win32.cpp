#include <windows.h>

#include "platform/file_version.h"

namespace platform {

namespace {

class Win32FileVersionInfo : public FileVersionInfo {
public:
    std::uint32_t Size(const std::string& path) override {
        DWORD ignored = 0;
        return GetFileVersionInfoSizeA(path.c_str(), &ignored);
    }

    bool Read(const std::string& path, std::uint32_t size,
              std::vector<unsigned char>* block) override {
        block->assign(size, 0);
        return GetFileVersionInfoA(path.c_str(), 0, size, block->data()) != FALSE;
    }

    bool QueryRoot(const std::vector<unsigned char>& block, FileVersionNumbers* numbers) override {
        void* root = nullptr;
        UINT length = 0;
        if (block.empty() || !VerQueryValueA(block.data(), "\\", &root, &length)) return false;
        if (root == nullptr || length < sizeof(VS_FIXEDFILEINFO)) return false;
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(root);
        numbers->mostSignificant = fixed->dwFileVersionMS;
        numbers->leastSignificant = fixed->dwFileVersionLS;
        return true;
    }
};

}  // namespace

FileVersionInfo& FileVersionInfo::System() {
    static Win32FileVersionInfo info;
    return info;
}

}  // namespace platform
