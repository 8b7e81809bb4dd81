#pragma once
// The registry the port discovery tests write: the POSIX store in a scratch file, or under
// Wine the real registry, where only the keys below the roots the test owns are written
// and all of them are deleted again.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "machine_registry_lock.h"
#include "platform/reg_file.h"
#include "platform/registry.h"
#include "support/scratch_folder.h"

namespace discovery {

const char* const kMonitors = "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors";
const char* const kDeviceClasses = "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses";
const char* const kUsbClass = "{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
const char* const kMakerThird = "{9b3f6c12-d554-11d3-8e47-00508b2c6e71}";
const char* const kMakerSecond = "{4a8e2f31-7c6d-11d4-9a3b-00508b2c6e71}";
const char* const kMakerFirst = "{7c1e5a20-3b9d-4f61-8e2a-5d0c9b7a4e13}";
const char* const kInterfaceKeys = "SOFTWARE\\VelkorPortDiscoveryTest";

/// One value to write under HKEY_LOCAL_MACHINE; a value without a name and text is just
/// the key.
struct Row {
    std::string key;
    std::string name;
    std::string text;
    bool isNumber = false;
    std::uint32_t number = 0;
    bool keyOnly = false;
};

inline Row Text(std::string key, std::string name, std::string text) {
    return {std::move(key), std::move(name), std::move(text), false, 0, false};
}
inline Row Number(std::string key, std::string name, std::uint32_t number) {
    return {std::move(key), std::move(name), "", true, number, false};
}
inline Row Key(std::string key) { return {std::move(key), "", "", false, 0, true}; }

inline std::string Monitor(const std::string& monitor, const std::string& port) {
    return std::string(kMonitors) + "\\" + monitor + "\\Ports\\" + port;
}
inline std::string Instance(const std::string& interfaceClass, const std::string& instance) {
    return std::string(kDeviceClasses) + "\\" + interfaceClass + "\\" + instance;
}

class Registry {
public:
    Registry() {
        platform::UseRegistryStoreFile(m_folder.PathOf("registry.reg"));
        m_realRegistry = platform::RegistryStoreFile().empty();
    }
    ~Registry() {
        DeleteOwned();
        platform::UseRegistryStoreFile("");
    }

    bool IsReal() const { return m_realRegistry; }

    /// Writes every row; the first part of each key below the monitors, the device classes
    /// or the test's own root is a root this test owns and deletes.
    void Write(const std::vector<Row>& rows) {
        for (const Row& row : rows) Own(row.key);
        if (m_realRegistry) {
            for (const Row& row : rows) WriteOne(row);
        } else {
            WriteStore(rows);
        }
    }

private:
    void Own(const std::string& key) {
        std::string root;
        for (const char* base : {kMonitors, kDeviceClasses}) {
            const std::string prefix = std::string(base) + "\\";
            if (key.compare(0, prefix.size(), prefix) == 0) {
                root = prefix +
                       key.substr(prefix.size(), key.find('\\', prefix.size()) - prefix.size());
            }
        }
        if (key.compare(0, std::string(kInterfaceKeys).size(), kInterfaceKeys) == 0) {
            root = kInterfaceKeys;
        }
        ASSERT_FALSE(root.empty()) << key << " is below no root the test may own";
        for (const std::string& owned : m_owned) {
            if (owned == root) return;
        }
        // Under Wine the machine's own keys (its "Local Port" monitor) are never touched.
        if (m_realRegistry) {
            ASSERT_FALSE(platform::RegistryKey::Open(platform::RegistryRoot::LocalMachine, root,
                                                     platform::RegistryAccess::Read))
                << root << " exists before the test";
        }
        m_owned.push_back(root);
    }

    void WriteOne(const Row& row) {
        auto key = platform::RegistryKey::Create(platform::RegistryRoot::LocalMachine, row.key);
        ASSERT_TRUE(key) << row.key;
        if (row.keyOnly) return;
        ASSERT_TRUE(row.isNumber ? key->SetDWord(row.name, row.number)
                                 : key->SetString(row.name, row.text))
            << row.key << " " << row.name;
    }

    /// The POSIX store written once as a whole: a thousand keys written one by one would
    /// rewrite the file a thousand times.
    void WriteStore(const std::vector<Row>& rows) {
        platform::RegFile store;
        const std::string file = platform::RegistryStoreFile();
        std::ifstream in(file, std::ios::binary);
        if (in) {
            std::stringstream text;
            text << in.rdbuf();
            if (!text.str().empty()) {
                ASSERT_TRUE(platform::RegFile::Parse(text.str(), &store, nullptr));
            }
        }
        for (const Row& row : rows) {
            const std::string path = "HKEY_LOCAL_MACHINE\\" + row.key;
            ASSERT_TRUE(store.CreateKey(path)) << path;
            if (row.keyOnly) continue;
            platform::RegFileValue value{row.name, platform::kRegSz, row.text + '\0'};
            if (row.isNumber) {
                value.type = platform::kRegDWord;
                value.data.clear();
                for (int i = 0; i < 4; ++i)
                    value.data += static_cast<char>((row.number >> (8 * i)) & 0xff);
            }
            ASSERT_TRUE(store.SetValue(path, value));
        }
        std::ofstream(file, std::ios::binary | std::ios::trunc) << store.Serialise();
    }

    /// A POSIX store goes with its scratch folder.
    void DeleteOwned() {
        if (!m_realRegistry) return;
        for (const std::string& root : m_owned) {
            EXPECT_TRUE(
                platform::RegistryKey::DeleteTree(platform::RegistryRoot::LocalMachine, root));
        }
        m_owned.clear();
    }

    MachineRegistryLock m_lock;
    ScratchFolder m_folder;
    bool m_realRegistry = false;
    std::vector<std::string> m_owned;
};

}  // namespace discovery
