#pragma once
/// The USB printer interfaces the setup library lists, each with the port name the
/// spooler gives it: what maps a "USB001" or "USB/product/serial" port to a device path.

#include <cstddef>
#include <mutex>

#include "platform/setup_library.h"

class UsbPortTable {
public:
    static constexpr int kMaxEntries = 16;
    static constexpr std::size_t kTextSize = 260;

    struct Entry {
        char portName[kTextSize];
        char devicePath[kTextSize];
    };

    /// The process's table; a mapping run holds Lock() while it builds and reads it.
    static UsbPortTable& Process();
    std::mutex& Lock() { return m_lock; }

    /// Empties the table and fills it from the maker's third class, then the system's USB
    /// printing class. Only the first 16 interfaces are entered: the rest are not looked at,
    /// so their ports stay unmapped. Texts are cut to 259 bytes. The library is loaded for
    /// the build and released after it.
    void Build(const platform::SetupLibraryLoader& load);

    int Count() const { return m_count; }
    const Entry& At(int index) const { return m_entries[index]; }
    /// The device path of the first entry whose port name equals `portName` exactly; null
    /// when there is none.
    const char* DevicePathOf(const char* portName) const;

private:
    void Add(platform::SetupInterfaceList& list, std::uint32_t index);

    Entry m_entries[kMaxEntries] = {};
    int m_count = 0;
    std::mutex m_lock;
};
