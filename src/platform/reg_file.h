#pragma once
/// A registry held in memory and read from or written to the text that the Windows registry
/// editor exports (".reg" files, "Windows Registry Editor Version 5.00" or "REGEDIT4").
/// Text is 8-bit ANSI and kept byte for byte; nothing is converted to or from UTF-16. Key
/// paths and value names match regardless of ASCII letter case, as Windows matches them, and
/// keep the spelling they were first written with.

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/registry.h"

namespace platform {

/// Win32 value type numbers, as ".reg" files write them in "hex(N):".
enum RegFileType : std::uint32_t {
    kRegNone = 0,
    kRegSz = 1,
    kRegExpandSz = 2,
    kRegBinary = 3,
    kRegDWord = 4,
    kRegMultiSz = 7,
};

/// The seam's view of a Win32 value type number.
RegistryType RegistryTypeOf(std::uint32_t type);

struct RegFileValue {
    std::string name;  // "" is the key's default value, written "@"
    std::uint32_t type = kRegSz;
    /// The bytes as the registry holds them: REG_SZ data carries its terminating NUL, a
    /// REG_DWORD is four bytes, least significant first.
    std::string data;

    bool operator==(const RegFileValue& other) const {
        return name == other.name && type == other.type && data == other.data;
    }
};

struct RegFileKey {
    /// Root name and subkeys joined by backslashes: "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik".
    std::string path;
    std::vector<RegFileValue> values;  // in the order they were first written

    bool operator==(const RegFileKey& other) const {
        return path == other.path && values == other.values;
    }
};

class RegFile {
public:
    enum class Format { Version5, Regedit4 };

    /// Reads a whole ".reg" text into `*registry`, as importing it into an empty registry
    /// would leave it. A UTF-8 byte order mark is skipped; UTF-16 text is refused. On a fault
    /// returns false, puts "line N: what is wrong" in `*error` and leaves `*registry` untouched.
    static bool Parse(const std::string& text, RegFile* registry, std::string* error);

    /// Applies a ".reg" text to this registry: creates the keys of its sections, sets and
    /// deletes values, deletes "[-...]" trees. All or nothing: on a fault returns false with
    /// the message in `*error` and this registry stays as it was. Keeps this registry's format.
    bool Import(const std::string& text, std::string* error);

    /// The whole registry as ".reg" text (CRLF line ends) in this registry's format, keys in
    /// the order they were created, a parent always before its subkeys. A REG_SZ that is not
    /// one NUL-ended line goes out as hex(1): bytes, which `reg import` reads back as they are.
    std::string Serialise() const;

    Format GetFormat() const { return m_format; }
    void SetFormat(Format format) { m_format = format; }

    const std::vector<RegFileKey>& Keys() const { return m_keys; }
    /// The key at `path`, or null.
    const RegFileKey* FindKey(const std::string& path) const;
    /// Creates the key and its missing parents (a root itself only when named alone); false
    /// when `path` is no valid key path: unknown root, an empty name or a NUL, CR or LF in it.
    bool CreateKey(const std::string& path);
    /// Removes the key and all keys below it; false when there was no such key.
    bool DeleteTree(const std::string& path);
    /// Sets a value of an existing key, replacing one of the same name in place or adding it
    /// last; false when the key is missing or the name holds a NUL, CR or LF.
    bool SetValue(const std::string& path, const RegFileValue& value);
    /// Removes a value; false when the key or the value is missing.
    bool DeleteValue(const std::string& path, const std::string& name);
    /// The value of that name in `key`, or null.
    static const RegFileValue* FindValue(const RegFileKey& key, const std::string& name);

    /// The canonical spelling of a root name ("hkey_local_machine" gives
    /// "HKEY_LOCAL_MACHINE"), or "" when it names none of the five roots.
    static std::string CanonicalRootName(const std::string& name);

    bool operator==(const RegFile& other) const {
        return m_format == other.m_format && m_keys == other.m_keys;
    }
    bool operator!=(const RegFile& other) const { return !(*this == other); }

private:
    /// Import without the all-or-nothing copy; gives the header's format.
    bool Apply(const std::string& text, Format* format, std::string* error);
    RegFileKey* FindMutableKey(const std::string& path);

    Format m_format = Format::Version5;
    std::vector<RegFileKey> m_keys;
    std::unordered_map<std::string, std::size_t> m_index;  // lower-case path -> m_keys index
};

}  // namespace platform
