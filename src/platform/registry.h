#pragma once
/// The registry as the system sees it: keys under three roots, string values read into
/// fixed-size buffers. On Windows this is the real registry; on POSIX a store kept in one
/// text file in the ".reg" export format (see reg_file.h).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

enum class RegistryRoot { LocalMachine, CurrentUser, ClassesRoot };

/// Full access mirrors KEY_ALL_ACCESS: the engine asks for it and treats a refusal as a
/// key without values. QueryAndWrite mirrors KEY_WRITE | KEY_QUERY_VALUE.
enum class RegistryAccess { Read, Full, QueryAndWrite };

enum class RegistryType { String, DWord, Binary, Other };

/// Outcome of one enumeration or query step, named after the Win32 results it stands for.
enum class RegistryStatus {
    Ok,
    NoMoreItems,  // ERROR_NO_MORE_ITEMS: the index is past the last value
    MoreData,     // ERROR_MORE_DATA: name or data did not fit the caller's buffer
    NotFound,     // ERROR_FILE_NOT_FOUND
    Failed        // any other failure
};

struct RegistryValue {
    std::string name;
    std::string data;  // string values without their terminating NUL; raw bytes otherwise
    RegistryType type = RegistryType::Other;
};

class RegistryKey {
public:
    virtual ~RegistryKey() = default;

    /// Opens an existing key; null when it is missing or access is refused.
    static std::unique_ptr<RegistryKey> Open(RegistryRoot root, const std::string& path,
                                             RegistryAccess access);
    /// Opens a key, creating it and any missing parents; null on failure.
    static std::unique_ptr<RegistryKey> Create(RegistryRoot root, const std::string& path);
    /// Deletes a key with all its subkeys and values; true when it is gone afterwards.
    static bool DeleteTree(RegistryRoot root, const std::string& path);

    /// Value number `index` in the key's order. `nameBufferSize` and `dataBufferSize` are
    /// the byte sizes of the caller's buffers as RegEnumValueA sees them: a name needs room
    /// for its NUL, string data too. A value that does not fit gives MoreData. `*value` is
    /// written only on Ok. The order of values is the registry's own (Wine sorts by name).
    virtual RegistryStatus EnumValue(std::uint32_t index, std::size_t nameBufferSize,
                                     std::size_t dataBufferSize, RegistryValue* value) = 0;
    /// Name of direct subkey number `index`, in the registry's own order (Wine sorts by
    /// name; the POSIX store keeps creation order). The name is read into a 256-byte buffer:
    /// a longer one gives MoreData. `*name` is written only on Ok.
    virtual RegistryStatus EnumSubkey(std::uint32_t index, std::string* name) = 0;
    /// Reads one value by name ("" is the key's default value), with the same buffer rule.
    virtual RegistryStatus QueryValue(const std::string& name, std::size_t dataBufferSize,
                                      RegistryValue* value) = 0;
    virtual bool SetString(const std::string& name, const std::string& data) = 0;
    virtual bool SetDWord(const std::string& name, std::uint32_t data) = 0;
    virtual bool SetBinary(const std::string& name, const std::string& bytes) = 0;
    virtual bool DeleteValue(const std::string& name) = 0;
    /// Writes a value of any Win32 type number (REG_EXPAND_SZ is 2) from raw bytes; string
    /// types need their NUL in `bytes`. For installers and tests that need what the typed
    /// setters cannot write.
    virtual bool SetRaw(const std::string& /*name*/, std::uint32_t /*registryType*/,
                        const std::string& /*bytes*/) {
        return false;
    }
};

/// POSIX only: the file that holds the registry store. By default it is "registry.reg"
/// beside the running program; an empty path restores that. Ignored on Windows, where the
/// real registry is used and RegistryStoreFile() is empty.
void UseRegistryStoreFile(const std::string& path);
std::string RegistryStoreFile();

}  // namespace platform
