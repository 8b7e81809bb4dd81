#pragma once
// What the selector's tests share: a scratch place in the registry (a store file of its own on
// POSIX, a key of its own in the real registry on Windows), the messages of a selector log,
// and a desktop that records what it was asked to open.

#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/user_shell.h"
#include "support/scratch_folder.h"

class ScratchRegistry {
public:
    explicit ScratchRegistry(const ScratchFolder& folder) {
        platform::UseRegistryStoreFile(folder.PathOf("registry.reg"));
        std::mt19937_64 mix(std::random_device{}() ^
                            static_cast<std::uint64_t>(
                                std::chrono::steady_clock::now().time_since_epoch().count()));
        std::ostringstream name;
        name << "VelkorSelectorTest" << std::hex << mix();
        m_name = name.str();
    }
    ~ScratchRegistry() {
        for (const auto& key : m_made) platform::RegistryKey::DeleteTree(key.first, key.second);
        platform::UseRegistryStoreFile("");
    }
    ScratchRegistry(const ScratchRegistry&) = delete;
    ScratchRegistry& operator=(const ScratchRegistry&) = delete;

    /// A key path of this test's own below `root`, removed at the end.
    std::string Key(platform::RegistryRoot root, const std::string& below = "SOFTWARE\\") {
        const std::string path = below + m_name;
        m_made.emplace_back(root, path);
        return path;
    }

    /// Removes `path` below `root` at the end.
    void Own(platform::RegistryRoot root, const std::string& path) {
        m_made.emplace_back(root, path);
    }

private:
    std::string m_name;
    std::vector<std::pair<platform::RegistryRoot, std::string>> m_made;
};

/// The messages of a selector log in order, each line's date and time checked and cut off.
inline std::vector<std::string> LoggedMessages(const std::string& path) {
    std::vector<std::string> messages;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t mark = line.find("\t:: ");
        // A message ending in its own line break leaves an empty line behind it.
        if (mark == std::string::npos) {
            if (line.empty() && !messages.empty())
                messages.back() += "\n";
            else
                messages.push_back("<no stamp> " + line);
            continue;
        }
        messages.push_back(line.substr(mark + 4));
    }
    return messages;
}

class RecordingShell : public platform::UserShell {
public:
    struct Opened {
        std::string file;
        std::string parameters;
        bool operator==(const Opened& other) const {
            return file == other.file && parameters == other.parameters;
        }
    };

    int Open(const std::string& file, const std::string& parameters) override {
        opened.push_back({file, parameters});
        return platform::kShellSuccess;
    }
    bool ShowErrorMessage(const std::string&, const std::string&) override { return true; }
    void NotifyInternetSettingsChanged() override { ++notifications; }

    std::vector<Opened> opened;
    int notifications = 0;
};

inline std::ostream& operator<<(std::ostream& out, const RecordingShell::Opened& opened) {
    return out << "{" << opened.file << ", " << opened.parameters << "}";
}
