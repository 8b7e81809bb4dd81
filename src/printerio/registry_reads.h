#pragma once
/// The registry reads port discovery makes: texts into fixed buffers, 32-bit numbers, and
/// the keys below the two lists it walks (device classes and port monitors).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/registry.h"

/// Reads for at most 1000 subkeys: the keys of a list past that are never looked at.
constexpr std::uint32_t kSubkeyScanLimit = 1000;
/// The buffer every text is read into unless a smaller one is named.
constexpr std::size_t kRegistryTextSize = 256;

/// Opens a key under HKEY_LOCAL_MACHINE with all access, as every discovery read does.
std::unique_ptr<platform::RegistryKey> OpenMachineKey(const std::string& path);

/// The text of `name` read into a buffer of `bufferSize` bytes; false when it is missing or
/// does not fit. Data after an embedded NUL is cut, as a C string reader sees it.
bool ReadText(platform::RegistryKey& key, const std::string& name, std::string* text,
              std::size_t bufferSize = kRegistryTextSize);
/// The same, opening `path` (under HKEY_LOCAL_MACHINE) first.
bool ReadText(const std::string& path, const std::string& name, std::string* text,
              std::size_t bufferSize = kRegistryTextSize);
/// A REG_DWORD value; false when it is missing or of another type.
bool ReadNumber(const std::string& path, const std::string& name, std::uint32_t* number);
bool ReadNumber(platform::RegistryKey& key, const std::string& name, std::uint32_t* number);

/// Calls `visit` with the name of each of the first kSubkeyScanLimit subkeys of `key`, in the
/// registry's order, until it returns true or the list ends (a failed step ends it too; a name
/// that does not fit is passed over). True when `visit` stopped the scan.
bool ScanSubkeys(platform::RegistryKey& key, const std::function<bool(const std::string&)>& visit);
