#include "integration/registry_value.h"

#include "platform/registry.h"

namespace integration {

namespace {

const struct {
    const char* prefix;
    platform::RegistryRoot root;
} kRoots[] = {
    {"HKEY_LOCAL_MACHINE\\", platform::RegistryRoot::LocalMachine},
    {"HKEY_CURRENT_USER\\", platform::RegistryRoot::CurrentUser},
    {"HKEY_CLASSES_ROOT\\", platform::RegistryRoot::ClassesRoot},
};

// The store is read with the engine's own POSIX registry.
std::optional<std::string> ReadStore(const Installation& install, const std::string& key,
                                     const std::string& name) {
    for (const auto& root : kRoots) {
        if (key.rfind(root.prefix, 0) != 0) continue;
        platform::UseRegistryStoreFile(install.PathOf("registry.reg"));
        const auto opened = platform::RegistryKey::Open(
            root.root, key.substr(std::string(root.prefix).size()), platform::RegistryAccess::Read);
        platform::RegistryValue value;
        const bool found =
            opened && opened->QueryValue(name, 1 << 16, &value) == platform::RegistryStatus::Ok;
        platform::UseRegistryStoreFile("");
        if (!found) return std::nullopt;
        return value.data;
    }
    return std::nullopt;
}

// "reg query" prints the value as "    NAME    REG_SZ    DATA".
std::optional<std::string> ReadWine(const Installation& install, const std::string& key,
                                    const std::string& name) {
    const ProgramTarget& target = TargetUnderTest();
    ChildResult query;
    // Now and then Wine fails to start a program at all: no output, an error code. A missing
    // value makes reg say so, which is not tried again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        query = harness::RunChild(target.Command("reg", {"query", key, "/v", name}),
                                  install.Directory(), target.Environment(), 120);
        if (query.exitCode == 0 || !query.output.empty()) break;
    }
    if (query.exitCode != 0) return std::nullopt;
    const std::string marker = "REG_SZ    ";
    const std::string::size_type at = query.output.find(marker);
    if (at == std::string::npos) return std::nullopt;
    const std::string::size_type begin = at + marker.size();
    const std::string::size_type end = query.output.find_first_of("\r\n", begin);
    return query.output.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

}  // namespace

std::optional<std::string> ReadRegistryString(const Installation& install, const std::string& key,
                                              const std::string& name) {
    return TargetUnderTest().IsWine() ? ReadWine(install, key, name)
                                      : ReadStore(install, key, name);
}

}  // namespace integration
