#include "engine/system_info.h"

#include <cstdio>
#include <new>

#include "base/log.h"
#include "base/whole_file.h"
#include "engine/browser_command.h"
#include "platform/program.h"
#include "text/ascii_case.h"
#include "xml/xml_parser.h"

namespace {

using engine_log::Line;
using engine_log::Log;

const char* const kNotInstalled = "Not Installed";
constexpr std::size_t kRegistryBufferSize = 260;
// The escape by which the plotter drivers tell their version, then their data file's.
constexpr int kVersionEscape = 10362;
constexpr int kEscapeBufferSize = 260;

struct OsNames {
    const char* version;
    const char* environment;
};

OsNames OsNamesOf(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor) {
    switch (platformId) {
        case 0:
            return {"Windows 3.1", "WIN32s"};
        case 1:
            if (minor == 0) return {"Windows 95", "WIN32_WINDOWS"};
            if (minor == 10) return {"Windows 98", "WIN32_WINDOWS"};
            if (minor == 90) return {"Windows ME", "WIN32_WINDOWS"};
            return {"", "WIN32_WINDOWS"};
        case 2:
            if (major == 3) return {"Windows NT 3.51", "WIN32_NT"};
            if (major == 4) return {"Windows NT 4.0", "WIN32_NT"};
            if (major == 5 && minor == 0) return {"Windows 2000", "WIN32_NT"};
            if (major == 5 && minor == 1) return {"Windows XP", "WIN32_NT"};
            return {"", "WIN32_NT"};
        default:
            return {"UNKNOWN_OS", ""};
    }
}

// Compared exactly and in this order; the driver names differ from the product names only
// where the drivers write "Plus" with a capital.
const char* const kDriverTable[][2] = {
    {"orvik plotara 530nr", "orvik plotara 530nr"},
    {"orvik plotara 500", "orvik plotara 500"},
    {"orvik plotara 500n", "orvik plotara 500n"},
    {"orvik plotara 530", "orvik plotara 530"},
    {"orvik plotara 600", "orvik plotara 600"},
    {"orvik plotara 600plus", "orvik plotara 600Plus"},
    {"orvik plotara 610", "orvik plotara 610"},
    {"orvik plotara 610plus", "orvik plotara 610Plus"},
    {"orvik plotara 610plus nr", "orvik plotara 610Plus nr"},
    {"orvik plotara 620", "orvik plotara 620"},
    {"orvik plotara 620nr", "orvik plotara 620nr"},
    {"orvik plotara 310ps", "orvik plotara 310ps"},
    {"orvik plotara 320ps", "orvik plotara 320ps"},
    {"orvik plotara 350ps", "orvik plotara 350ps"},
    {"orvik plotara 420r", "orvik plotara 420r"},
    {"orvik plotara 420", "orvik plotara 420"},
    {"orvik plotara 410", "orvik plotara 410"},
};

// Tried in this order, each later installation overwriting what an earlier one gave.
const char* const kRipVersions[] = {"120", "121", "160", "161", "210", "211", "212", "246", "241"};
const char* const kRipKeyPrefix = "SOFTWARE\\Amiable\\Install\\";

// Text that a C string buffer of `size` bytes holds: up to the first NUL.
std::string BufferText(const char* buffer, std::size_t size) {
    std::size_t length = 0;
    while (length < size && buffer[length] != '\0') ++length;
    return std::string(buffer, length);
}

// A string value as a buffer of the registry size holds it; `*ok` tells whether it was read.
std::string ReadRegistryText(platform::RegistryKey& key, const std::string& name, bool* ok) {
    platform::RegistryValue value;
    *ok = key.QueryValue(name, kRegistryBufferSize, &value) == platform::RegistryStatus::Ok;
    return *ok ? BufferText(value.data.data(), value.data.size()) : std::string();
}

// The build number and date of a RIP installation; a missing or malformed file leaves the
// values as they were.
void ReadBuildInformation(const std::string& path, TextMap& info) {
    std::string bytes;
    if (!ReadWholeFile(path, &bytes)) return;
    CXMLDocument document;
    if (!ParseWellFormed(bytes, document)) return;
    const CXMLNodeList& children = document.documentElement()->childNodes();
    for (std::size_t i = 0; i < children.length(); ++i) {
        const CXMLNode* child = children.item(i);
        if (!child->hasChildNodes()) continue;
        if (child->nodeName() == "BuildNumber") {
            info["RIP-Build-Number"] = child->firstChild()->nodeValue();
        } else if (child->nodeName() == "BuildDate") {
            info["RIP-Build-Date"] = child->firstChild()->nodeValue();
        }
    }
}

// The file name of a program path: after the last backslash, or on POSIX the last slash.
std::string FileNameOf(const std::string& path) {
    const char separators[] = {'\\', platform::PathSeparator(), '\0'};
    const std::string::size_type last = path.find_last_of(separators);
    return last == std::string::npos ? path : path.substr(last + 1);
}

}  // namespace

std::string DriverNameForProduct(const std::string& productName) {
    for (const auto& row : kDriverTable) {
        if (productName == row[0]) return row[1];
    }
    return std::string();
}

CSystemInfo::System CSystemInfo::RealSystem() {
    return System{
        platform::SystemVersion::System(), platform::InstalledPrinters::System(),
        platform::FileVersionInfo::System(), &platform::RegistryKey::Open, [](std::size_t size) {
            return std::unique_ptr<unsigned char[]>(new (std::nothrow) unsigned char[size]);
        }};
}

void CSystemInfo::Collect(TextMap& table, const std::string& productName) {
    TextMap info;
    CollectOperatingSystem(info);
    CollectPrinterDriver(info, productName);
    CollectRip(info);
    CollectWebBrowser(info);
    for (const auto& entry : info) table[entry.first] = entry.second;
}

void CSystemInfo::CollectOperatingSystem(TextMap& info) {
    info["OS-Name"] = m_system.version.Name();
    info["OS-Version"] = "";
    info["OS-Service-Pack"] = "";
    info["OS-Environment"] = "";
    info["OS-Code"] = "";
    platform::SystemVersionInfo version;
    if (m_system.version.Query(&version)) {
        const OsNames names = OsNamesOf(version.platformId, version.major, version.minor);
        info["OS-Version"] = names.version;
        info["OS-Environment"] = names.environment;
        info["OS-Service-Pack"] = version.servicePack;
        info["OS-Code"] = std::to_string(version.major);
    }
    info["OS-Language"] = std::to_string(m_system.version.DefaultLanguage());
}

bool CSystemInfo::ListPrinters(std::vector<platform::InstalledPrinter>* printers) {
    std::unique_ptr<unsigned char[]> buffer;
    std::uint32_t size = 0;
    for (;;) {
        std::uint32_t needed = 0;
        switch (m_system.printers.Enumerate(buffer.get(), size, &needed, printers)) {
            case platform::PrinterListStatus::Ok:
                return true;
            case platform::PrinterListStatus::InsufficientBuffer:
                break;
            case platform::PrinterListStatus::Failed:
                return false;
        }
        buffer = m_system.allocate(needed);
        if (!buffer) {
            Log(Line::Forced, "Failed to allocate memory for list of printers\n");
            return false;
        }
        size = needed;
    }
}

void CSystemInfo::CollectPrinterDriver(TextMap& info, const std::string& productName) {
    info["Driver-Name"] = kNotInstalled;
    info["Driver-Version"] = kNotInstalled;
    info["Dat-Version"] = kNotInstalled;
    const std::string wanted = DriverNameForProduct(productName);

    std::vector<platform::InstalledPrinter> printers;
    if (!ListPrinters(&printers) || printers.empty()) {
        Log(Line::Forced, "Driver Name can not be obtained as no drivers are installed.");
        return;
    }
    const platform::InstalledPrinter* found = nullptr;
    for (const platform::InstalledPrinter& printer : printers) {
        // An unknown product looks for no driver at all, not for a printer without one.
        if (!wanted.empty() && EqualsIgnoringAsciiCase(printer.driverName, wanted)) {
            found = &printer;
            break;
        }
    }
    if (found == nullptr) return;

    info["Driver-Name"] = found->driverName;
    const platform::DeviceContext dc =
        m_system.printers.OpenDeviceContext(found->driverName, found->name);
    if (dc == platform::kNoDeviceContext) {
        Log(Line::Forced, "Driver and Dat version can not be obtained.");
        return;
    }
    char driverVersion[kEscapeBufferSize] = {};
    if (m_system.printers.DriverEscape(dc, kVersionEscape, driverVersion, kEscapeBufferSize) < 0) {
        Log(Line::Forced, "Driver version can not be obtained.");
    } else {
        info["Driver-Version"] = BufferText(driverVersion, kEscapeBufferSize);
    }
    char datVersion[kEscapeBufferSize] = {};
    if (m_system.printers.DriverEscape(dc, kVersionEscape, datVersion, kEscapeBufferSize) < 0) {
        Log(Line::Forced, "Dat version can not be obtained.");
    } else {
        info["Dat-Version"] = BufferText(datVersion, kEscapeBufferSize);
    }
    m_system.printers.CloseDeviceContext(dc);
}

void CSystemInfo::CollectRip(TextMap& info) {
    info["RIP-Name"] = kNotInstalled;
    info["RIP-Log"] = kNotInstalled;
    info["RIP-Build-Number"] = kNotInstalled;
    info["RIP-Build-Date"] = kNotInstalled;
    const std::string separator(1, platform::PathSeparator());
    for (const char* number : kRipVersions) {
        const auto key =
            m_system.openKey(platform::RegistryRoot::CurrentUser,
                             kRipKeyPrefix + std::string(number), platform::RegistryAccess::Read);
        if (!key) continue;
        bool ok = false;
        const std::string name = ReadRegistryText(*key, "APP_NAME", &ok);
        info["RIP-Name"] = ok ? name : "Installation Error";
        const std::string userPath = ReadRegistryText(*key, "UserPath", &ok);
        if (!ok) continue;
        ReadBuildInformation(userPath + separator + "BuildInfo.xml", info);
        std::string log;
        if (ReadWholeFile(userPath + separator + "Program" + separator + "CPSI.log", &log)) {
            info["RIP-Log"] = log;
        }
    }
}

void CSystemInfo::CollectWebBrowser(TextMap& info) {
    info["Web-Browser-Name"] = "";
    info["Web-Browser-Version"] = "";
    const auto key = m_system.openKey(platform::RegistryRoot::ClassesRoot, kBrowserCommandKey,
                                      platform::RegistryAccess::Read);
    bool ok = false;
    const std::string command = key ? ReadRegistryText(*key, "", &ok) : std::string();
    std::string program;
    if (ok) {
        program = BrowserProgramOfCommand(command);
        Log(Line::Optional, "Using browser %1.", program);
    } else {
        Log(Line::Forced, "The default browser couldn't be determined.");
    }
    info["Web-Browser-Name"] = FileNameOf(program);

    const std::uint32_t size = m_system.files.Size(program);
    std::vector<unsigned char> block;
    if (size == 0 || !m_system.files.Read(program, size, &block)) {
        Log(Line::Forced, "The default browser version couldn't be determined.");
        return;
    }
    platform::FileVersionNumbers numbers;
    if (!m_system.files.QueryRoot(block, &numbers)) {
        Log(Line::Forced, "The default browser version couldn't be queried.");
        return;
    }
    char version[64];
    std::snprintf(version, sizeof version, "%u.%u.%u.%u",
                  static_cast<unsigned>(numbers.mostSignificant >> 16),
                  static_cast<unsigned>(numbers.mostSignificant & 0xFFFFu),
                  static_cast<unsigned>(numbers.leastSignificant >> 16),
                  static_cast<unsigned>(numbers.leastSignificant & 0xFFFFu));
    info["Web-Browser-Version"] = version;
}

void CollectSystemInfo(TextMap& table, const std::string& productName) {
    CSystemInfo(CSystemInfo::RealSystem()).Collect(table, productName);
}
