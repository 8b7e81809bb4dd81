// CIOUtils::MapPrinters over a spooler that answers the buffer protocol as EnumPrintersA and
// EnumPortsA do, the registry and a substitute setup library.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery_registry.h"
#include "fake_setup_library.h"
#include "printerio/io_utils.h"

namespace discovery {
namespace {

using platform::InstalledPort;
using platform::InstalledPrinter;
using platform::PrinterListStatus;

/// Needs a record and the texts of every entry, as the spooler packs them.
class Spooler : public platform::InstalledPrinters {
public:
    PrinterListStatus Enumerate(unsigned char* buffer, std::uint32_t size, std::uint32_t* needed,
                                std::vector<InstalledPrinter>* list) override {
        printerSizes.push_back(size);
        if (printerError != 0) return Fail(printerError);
        std::uint32_t bytes = 0;
        for (const InstalledPrinter& p : printers) {
            bytes +=
                platform::kPrinterInfo2Size + Text(p.name) + Text(p.driverName) + Text(p.portName);
        }
        if (buffer == nullptr || size < bytes) return Short(bytes, needed);
        *list = printers;
        return PrinterListStatus::Ok;
    }
    PrinterListStatus EnumeratePorts(unsigned char* buffer, std::uint32_t size,
                                     std::uint32_t* needed,
                                     std::vector<InstalledPort>* list) override {
        portSizes.push_back(size);
        if (portError != 0) return Fail(portError);
        std::uint32_t bytes = 0;
        for (const InstalledPort& p : ports)
            bytes += platform::kPortInfo2Size + Text(p.name) + Text(p.monitorName);
        if (buffer == nullptr || size < bytes) return Short(bytes, needed);
        *list = ports;
        return PrinterListStatus::Ok;
    }
    std::uint32_t LastError() override { return lastError; }
    platform::DeviceContext OpenDeviceContext(const std::string&, const std::string&) override {
        return platform::kNoDeviceContext;
    }
    int DriverEscape(platform::DeviceContext, int, char*, int) override { return -1; }
    void CloseDeviceContext(platform::DeviceContext) override {}

    std::vector<InstalledPrinter> printers;
    std::vector<InstalledPort> ports;
    std::uint32_t printerError = 0;
    std::uint32_t portError = 0;
    std::uint32_t lastError = 0;
    std::vector<std::uint32_t> printerSizes;
    std::vector<std::uint32_t> portSizes;

private:
    static std::uint32_t Text(const std::string& text) {
        return static_cast<std::uint32_t>(text.size() + 1);
    }
    PrinterListStatus Fail(std::uint32_t error) {
        lastError = error;
        return PrinterListStatus::Failed;
    }
    PrinterListStatus Short(std::uint32_t bytes, std::uint32_t* needed) {
        lastError = 122;
        *needed = bytes;
        return PrinterListStatus::InsufficientBuffer;
    }
};

struct Seen {
    std::string printer;
    std::string address;
    std::int32_t kind;
    const CChannelAddress* record;
};

class Recorder : public CPrinterMapCallback {
public:
    void OnPrinter(const char* printerName, const CChannelAddress& address) override {
        seen.push_back({printerName, address.GetAddress(), address.GetKind(), &address});
    }
    std::vector<Seen> seen;
};

bool NoVersion(platform::OsVersion*) { return false; }

class MapPrintersTest : public ::testing::Test {
protected:
    bool Map() { return m_utils.MapPrinters(m_recorder, {m_spooler, m_setup.Loader()}); }

    Registry m_registry;
    Spooler m_spooler;
    FakeSetup m_setup;
    Recorder m_recorder;
    CIOUtils m_utils{&NoVersion};
};

TEST_F(MapPrintersTest, CallsBackForEachMappedPrinterInListOrder) {
    const std::string usbKey = std::string(kInterfaceKeys) + "\\Usb3";
    m_registry.Write(
        {Text(Monitor("Orvik Netvara Port", "NV1"), "OrvikNetworkPrinterID", "TCPIP,192.168.0.5"),
         Number(usbKey, "Port Number", 3)});
    m_setup.present = {{kUsbClass, {{"\\\\?\\usb#vid_1#3", usbKey}}}};
    m_spooler.printers = {{"Plot on USB", "orvik plotara 530", "USB003"},
                          {"Plot on LPT1", "orvik plotara 410", "LPT1:"},
                          {"Plot unknown", "orvik plotara 410", "Nowhere"},
                          {"Plot not in ports", "orvik plotara 410", "LPT2:"},
                          {"Plot lower case", "orvik plotara 410", "lpt1:"},
                          {"Plot on Netvara", "orvik plotara 600", "NV1"}};
    m_spooler.ports = {{"LPT1:", "Local Port"},
                       {"NV1", "Orvik Netvara Port"},
                       {"Nowhere", "Local Port"},
                       {"USB003", "USB Monitor"},
                       {"LPT1:", "Duplicate"}};

    ASSERT_TRUE(Map());
    ASSERT_EQ(m_recorder.seen.size(), 3u);
    EXPECT_EQ(m_recorder.seen[0].printer, "Plot on USB");
    EXPECT_EQ(m_recorder.seen[0].address, "\\\\?\\usb#vid_1#3");
    EXPECT_EQ(m_recorder.seen[0].kind, 6);
    EXPECT_EQ(m_recorder.seen[1].printer, "Plot on LPT1");
    EXPECT_EQ(m_recorder.seen[1].address, "LPT1:");
    EXPECT_EQ(m_recorder.seen[1].kind, 4);
    EXPECT_EQ(m_recorder.seen[2].printer, "Plot on Netvara");
    EXPECT_EQ(m_recorder.seen[2].address, "192.168.0.5");
    EXPECT_EQ(m_recorder.seen[2].kind, 0);
    EXPECT_EQ(m_recorder.seen[0].record, m_recorder.seen[2].record) << "one record filled anew";
    EXPECT_EQ(m_utils.GetLastErrorCode(), 0u);
    EXPECT_EQ(m_setup.loads, 1);
    EXPECT_EQ(m_setup.releases, 1);
}

TEST_F(MapPrintersTest, AsksForOneRecordThenForWhatTheReportedSizeNeedsPlusOne) {
    m_spooler.printers = {{"A printer with a long name", "driver", "LPT1:"},
                          {"B", "driver", "LPT2:"}};
    m_spooler.ports = {{"LPT1:", "Local Port"}};
    ASSERT_TRUE(Map());

    const std::uint32_t record = platform::kPrinterInfo2Size;
    const std::uint32_t needed = 2 * record + 27 + 7 + 6 + 2 + 7 + 6;
    EXPECT_EQ(m_spooler.printerSizes,
              (std::vector<std::uint32_t>{record, ((needed + record - 1) / record + 1) * record}));
    const std::uint32_t port = platform::kPortInfo2Size;
    const std::uint32_t portNeeded = port + 6 + 11;
    EXPECT_EQ(m_spooler.portSizes,
              (std::vector<std::uint32_t>{port, ((portNeeded + port - 1) / port + 1) * port}));
    ASSERT_EQ(m_recorder.seen.size(), 1u);
}

TEST_F(MapPrintersTest, AFailedListKeepsItsErrorUntilTheNextSuccess) {
    struct FailCase {
        const char* name;
        std::uint32_t printerError;
        std::uint32_t portError;
    };
    m_spooler.printers = {{"Plot", "driver", "LPT1:"}};
    m_spooler.ports = {{"LPT1:", "Local Port"}};
    for (const FailCase& c :
         std::vector<FailCase>{{"printers", 1722, 0}, {"ports", 0, 5}, {"both", 6, 7}}) {
        SCOPED_TRACE(c.name);
        m_spooler.printerError = c.printerError;
        m_spooler.portError = c.portError;
        m_recorder.seen.clear();
        EXPECT_FALSE(Map());
        EXPECT_EQ(m_utils.GetLastErrorCode(), c.printerError != 0 ? c.printerError : c.portError);
        EXPECT_TRUE(m_recorder.seen.empty());
        EXPECT_EQ(m_setup.loads, 0) << "no table is built";
    }
    m_spooler.printerError = m_spooler.portError = 0;
    EXPECT_TRUE(Map());
    EXPECT_EQ(m_utils.GetLastErrorCode(), 0u);
    EXPECT_EQ(m_recorder.seen.size(), 1u);
}

}  // namespace
}  // namespace discovery
