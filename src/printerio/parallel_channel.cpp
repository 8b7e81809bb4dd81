#include "printerio/parallel_channel.h"

namespace {

const char kDevicePrefix[] = "\\\\.\\";
const char kSpooler[] = "spooler";
// The driver's own names for the ports.
const char kDriverPortPrefix[] = "OrvikL";

constexpr std::uint32_t kNt4PortControl = 0x001600B0;
constexpr std::uint16_t kNt4ReadMask = 0x000A;
constexpr std::uint16_t kNt4WriteMask = 0x000A;
constexpr std::uint32_t kNt5PortControl = 0x00160018;
constexpr std::uint16_t kNt5ReadMask = 0x0004;
constexpr std::uint16_t kNt5WriteMask = 0x0100;

constexpr std::uint32_t kSpoolerStopLimit = 15000;
constexpr std::uint32_t kAfterSpoolerStop = 3000;
constexpr std::uint32_t kPause = 100;

CParallelChannel::System SystemServices() {
    return {platform::DeviceFiles::System(), platform::SpoolerService::System(),
            platform::Clock::System(), CIOUtils::Instance()};
}

}  // namespace

CParallelChannel::CParallelChannel(const CChannelAddress& address)
    : CParallelChannel(address, SystemServices()) {}

CParallelChannel::CParallelChannel(const CChannelAddress& address, const System& system)
    : m_address(address), m_system(system) {}

CParallelChannel::~CParallelChannel() {
    m_system.files.Close(m_port);
    platform::SpoolerService& services = m_system.services;
    const platform::ServiceHandle manager = services.OpenManager();
    if (manager == platform::kNoService) return;
    const platform::ServiceHandle spooler =
        services.Open(manager, kSpooler, platform::ServiceRights::Start);
    if (spooler != platform::kNoService) {
        services.Start(spooler);
        services.Close(spooler);
    }
    services.Close(manager);
}

bool CParallelChannel::Open(std::int32_t mode) {
    if (mode != CChannelAddress::kModeNotSet) m_address.SetMode(mode);
    // A second Open replaces the port rather than leaking it.
    m_system.files.Close(m_port);
    m_port = platform::kNoDevice;

    std::string port = m_address.GetAddress();
    if (port.empty()) return false;
    const std::size_t colon = port.rfind(':');
    if (colon != std::string::npos) {
        port.erase(colon);
        m_address.SetAddress(port.c_str());
    }
    const std::string path = kDevicePrefix + port;

    switch (m_system.utils.OsClass()) {
        case 3:
            return OpenDriverDevice(path) || OpenThroughSpooler(port);
        case 4:
        case 5:
            return OpenRawDosDevice(path) || OpenThroughSpooler(port);
        default:
            return OpenPlain(path);
    }
}

// NT 4: the printer driver's own device stands in for the port.
bool CParallelChannel::OpenDriverDevice(const std::string& path) {
    const std::string lpt = std::string(kDevicePrefix) + "LPT";
    if (path.compare(0, lpt.size(), lpt) != 0) return false;
    const std::string driverPath =
        kDevicePrefix + std::string(kDriverPortPrefix) + path.substr(lpt.size());
    m_port = OpenPort(driverPath, platform::DeviceOpen::ExclusiveReadWrite);
    if (m_port == platform::kNoDevice) return false;
    const std::uint16_t masks[2] = {kNt4ReadMask, kNt4WriteMask};
    std::uint32_t output = 0;
    m_system.files.IoControl(m_port, kNt4PortControl, masks, sizeof(masks), &output,
                             sizeof(output));
    return true;
}

// Windows 2000 and XP: a raw DOS name of our own for the kernel's parallel port device.
bool CParallelChannel::OpenRawDosDevice(const std::string& path) {
    static const char* const kPorts[] = {"\\\\.\\LPT1", "\\\\.\\LPT2", "\\\\.\\LPT3"};
    for (int index = 0; index < 3; ++index) {
        if (path != kPorts[index]) continue;
        const std::string number = std::to_string(index + 1);
        const std::string name = kDriverPortPrefix + number;
        if (!m_system.files.DefineRawDosDevice(name,
                                               "\\Device\\Parallel" + std::to_string(index))) {
            m_lastError = m_system.files.LastError();
            return false;
        }
        m_port = OpenPort(kDevicePrefix + name, platform::DeviceOpen::ExclusiveReadWrite);
        if (m_port == platform::kNoDevice) return false;
        const std::uint16_t masks[2] = {kNt5ReadMask, kNt5WriteMask};
        std::uint32_t output = 0;
        m_system.files.IoControl(m_port, kNt5PortControl, masks, sizeof(masks), &output,
                                 sizeof(output));
        return true;
    }
    return false;
}

bool CParallelChannel::OpenPlain(const std::string& path) {
    m_port = OpenPort(path, platform::DeviceOpen::ExclusiveReadWriteNormal);
    if (m_port == platform::kNoDevice) return false;
    ApplyTimeouts();
    return true;
}

// The spooler holds the port open on the NT family: stop it, then open the port itself.
bool CParallelChannel::OpenThroughSpooler(const std::string& port) {
    StopSpooler();
    m_system.clock.Sleep(kAfterSpoolerStop);
    m_port = OpenPort(kDevicePrefix + std::string("NONSPOOLED_") + port,
                      platform::DeviceOpen::ExclusiveReadWriteNormal);
    if (m_port == platform::kNoDevice) {
        m_port = OpenPort(kDevicePrefix + port, platform::DeviceOpen::ExclusiveReadWriteNormal);
    }
    if (m_port == platform::kNoDevice) return false;
    ApplyTimeouts();
    return true;
}

void CParallelChannel::StopSpooler() {
    platform::SpoolerService& services = m_system.services;
    const platform::ServiceHandle manager = services.OpenManager();
    if (manager == platform::kNoService) return;
    const platform::ServiceHandle spooler =
        services.Open(manager, kSpooler, platform::ServiceRights::StopQueryInterrogate);
    if (spooler != platform::kNoService) {
        services.Stop(spooler);
        // Whether it stopped in time or not, the port is tried next.
        WaitForSpoolerToStop(spooler);
        services.Close(spooler);
    }
    services.Close(manager);
}

bool CParallelChannel::WaitForSpoolerToStop(platform::ServiceHandle service) {
    const std::uint64_t start = m_system.clock.Ticks();
    bool first = true;
    platform::ServiceStatus last;
    for (;;) {
        platform::ServiceStatus status;
        if (!m_system.services.Interrogate(service, &status)) {
            return m_system.services.LastError() == platform::kErrorServiceNotActive;
        }
        if (status.currentState == platform::kServiceStopped) return true;
        if (m_system.clock.Ticks() - start > kSpoolerStopLimit) {
            m_lastError = platform::kErrorTimeout;
            return false;
        }
        if (!first && status.currentState == last.currentState &&
            status.checkPoint <= last.checkPoint) {
            return false;
        }
        first = false;
        last = status;
        m_system.clock.Sleep(status.waitHint);
    }
}

platform::DeviceHandle CParallelChannel::OpenPort(const std::string& path,
                                                  platform::DeviceOpen how) {
    const platform::DeviceHandle port = m_system.files.Open(path, how);
    m_lastError = m_system.files.LastError();
    return port;
}

void CParallelChannel::ApplyTimeouts() {
    platform::CommTimeouts timeouts;
    if (!m_system.files.GetCommTimeouts(m_port, &timeouts)) return;
    timeouts.readInterval = 0;
    timeouts.readTotalMultiplier = 0;
    timeouts.writeTotalMultiplier = 0;
    timeouts.readTotalConstant = m_timeout;
    timeouts.writeTotalConstant = m_timeout;
    m_system.files.SetCommTimeouts(m_port, timeouts);
}

bool CParallelChannel::SetTimeout(std::uint32_t milliseconds) {
    m_timeout = milliseconds;
    if (m_port != platform::kNoDevice) ApplyTimeouts();
    return true;
}

bool CParallelChannel::Write(const char* buffer, std::uint32_t length) {
    if (m_port == platform::kNoDevice) return false;
    platform::Clock& clock = m_system.clock;
    const std::int64_t start = clock.Seconds();
    std::uint32_t written = 0;
    bool ok = false;
    for (;;) {
        std::uint32_t done = 0;
        ok = m_system.files.Write(m_port, buffer + written, length - written, &done);
        m_lastError = m_system.files.LastError();
        written += done > length - written ? length - written : done;
        const std::int64_t now = clock.Seconds();
        clock.Sleep(kPause);
        if (written >= length || (now - start) * 1000 >= m_timeout) break;
    }
    return ok && written > 0;
}

bool CParallelChannel::Read(char* buffer, std::uint32_t& size) {
    if (m_port == platform::kNoDevice) return false;
    platform::Clock& clock = m_system.clock;
    const std::int64_t start = clock.Seconds();
    std::int64_t now = start;
    std::uint32_t count = 0;
    bool received = false;
    while ((now - start) * 1000 < m_timeout) {
        count = 0;
        const bool ok = m_system.files.Read(m_port, buffer, size, &count);
        m_lastError = m_system.files.LastError();
        if (ok && count > 0) {
            received = true;
            break;
        }
        clock.Sleep(kPause);
        now = clock.Seconds();
    }
    m_lastError = m_system.files.LastError();
    size = count;
    return received;
}
