#pragma once
// A setup library over a list of interfaces a test describes: each with its device path
// and its interface key, a real registry key that the test wrote. Counts its loadings and
// releases so a test sees when the library is held.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/setup_library.h"

namespace discovery {

struct FakeInterface {
    std::string devicePath;
    std::string keyPath;  // under HKEY_LOCAL_MACHINE; empty: the key does not open
    bool detailFails = false;
};

class FakeSetup {
public:
    /// The interfaces present per class, in enumeration order.
    std::map<std::string, std::vector<FakeInterface>> present;
    /// The library is not there, or lacks one of its functions.
    bool missing = false;
    int loads = 0;
    int releases = 0;
    std::vector<std::string> classesAsked;

    platform::SetupLibraryLoader Loader() {
        return [this]() -> std::unique_ptr<platform::SetupLibrary> {
            if (missing) return nullptr;
            ++loads;
            return std::make_unique<Library>(*this);
        };
    }

private:
    class List : public platform::SetupInterfaceList {
    public:
        explicit List(std::vector<FakeInterface> interfaces)
            : m_interfaces(std::move(interfaces)) {}
        bool Exists(std::uint32_t index) override { return index < m_interfaces.size(); }
        bool DevicePath(std::uint32_t index, std::string* path) override {
            if (!Exists(index) || m_interfaces[index].detailFails) return false;
            *path = m_interfaces[index].devicePath;
            return true;
        }
        std::unique_ptr<platform::RegistryKey> OpenKey(std::uint32_t index) override {
            if (!Exists(index) || m_interfaces[index].keyPath.empty()) return nullptr;
            return platform::RegistryKey::Open(platform::RegistryRoot::LocalMachine,
                                               m_interfaces[index].keyPath,
                                               platform::RegistryAccess::Full);
        }

    private:
        std::vector<FakeInterface> m_interfaces;
    };

    class Library : public platform::SetupLibrary {
    public:
        explicit Library(FakeSetup& setup) : m_setup(setup) {}
        ~Library() override { ++m_setup.releases; }
        std::unique_ptr<platform::SetupInterfaceList> PresentInterfaces(
            const std::string& interfaceClass) override {
            m_setup.classesAsked.push_back(interfaceClass);
            const auto found = m_setup.present.find(interfaceClass);
            return std::make_unique<List>(
                found == m_setup.present.end() ? std::vector<FakeInterface>{} : found->second);
        }

    private:
        FakeSetup& m_setup;
    };
};

}  // namespace discovery
