#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it at the
// end of the test.

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class ScratchFolder {
public:
    ScratchFolder() {
        static std::atomic<int> counter{0};
        const auto base = std::filesystem::temp_directory_path();
        for (;;) {
            m_path = base / ("velkor-test-" + std::to_string(std::rand()) + "-" +
                             std::to_string(counter++));
            if (std::filesystem::create_directory(m_path)) break;
        }
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string Path() const { return m_path.string(); }
    std::string PathOf(const std::string& relative) const { return (m_path / relative).string(); }

    /// Writes `bytes` to `relative`, creating the folders on the way.
    void Write(const std::string& relative, const std::string& bytes) const {
        const auto file = m_path / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
    }

private:
    std::filesystem::path m_path;
};
