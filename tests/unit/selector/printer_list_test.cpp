// Building the selector's list: print queues from a spooler that keeps the buffer protocol,
// network addresses and USB device paths from registry fixtures, USB printers from a
// simulated bus, and the check against supportedprinters.xml.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/registry.h"
#include "selector/printer_list.h"
#include "selector/selector_log.h"
#include "selector_test_support.h"
#include "support/simulated_usb_bus.h"

namespace {

using platform::InstalledPrinter;
using platform::PrinterListStatus;
using platform::RegistryKey;
using platform::RegistryRoot;
using ::testing::ElementsAre;

/// The spooler's side of the two-call protocol: too small a buffer is refused with the size
/// needed. `addOnRefusal` queues are added after each refusal, as when a queue is installed
/// between the two calls.
class Spooler : public platform::InstalledPrinters {
public:
    static constexpr std::uint32_t kBytesPerQueue = 136;

    PrinterListStatus Enumerate(unsigned char* buffer, std::uint32_t size, std::uint32_t* needed,
                                std::vector<InstalledPrinter>* printers) override {
        ++calls;
        if (fails) return PrinterListStatus::Failed;
        *needed = static_cast<std::uint32_t>(queues.size()) * kBytesPerQueue;
        if (size < *needed || (size > 0 && buffer == nullptr)) {
            for (int i = 0; i < addOnRefusal; ++i) queues.push_back(added);
            addOnRefusal = 0;
            return PrinterListStatus::InsufficientBuffer;
        }
        *printers = queues;
        return PrinterListStatus::Ok;
    }
    PrinterListStatus EnumeratePorts(unsigned char*, std::uint32_t, std::uint32_t*,
                                     std::vector<platform::InstalledPort>*) override {
        return PrinterListStatus::Failed;
    }
    std::uint32_t LastError() override { return fails ? 1722 : 122; }
    platform::DeviceContext OpenDeviceContext(const std::string&, const std::string&) override {
        return platform::kNoDeviceContext;
    }
    int DriverEscape(platform::DeviceContext, int, char*, int) override { return -1; }
    void CloseDeviceContext(platform::DeviceContext) override {}

    std::vector<InstalledPrinter> queues;
    InstalledPrinter added;
    int addOnRefusal = 0;
    bool fails = false;
    int calls = 0;
};

struct Row {
    std::int32_t type;
    std::string model, address, identity, queue;
    bool operator==(const Row& o) const {
        return type == o.type && model == o.model && address == o.address &&
               identity == o.identity && queue == o.queue;
    }
};

std::ostream& operator<<(std::ostream& out, const Row& r) {
    return out << "{" << r.type << ", " << r.model << ", " << r.address << ", " << r.identity
               << ", " << r.queue << "}";
}

class PrinterListTest : public ::testing::Test {
protected:
    PrinterListTest() : registry(folder), log(folder.PathOf("selector.log")) {
        installation = registry.Key(RegistryRoot::LocalMachine);
        monitor = registry.Key(RegistryRoot::LocalMachine,
                               "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\");
        usbClass =
            "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\"
            "{28d78fad-5a12-11d1-ae5b-0000f803a8c2}\\";
        unique = monitor.substr(monitor.rfind('\\') + 1);
    }

    PrinterList::System SystemWith(platform::UsbHost& usb) {
        return PrinterList::System{spooler, usb, SelectorOs::WindowsXp,
                                   [] { return SupportedPrinterDocument::Create(); }, installation};
    }

    void NetworkPort(const std::string& port, const std::string& ip, const std::string& host) {
        const auto key =
            RegistryKey::Create(RegistryRoot::LocalMachine, monitor + "\\Ports\\" + port);
        ASSERT_TRUE(key);
        key->SetString("IPAddress", ip);
        key->SetString("HostName", host);
    }

    void UsbInterface(const std::string& serial, const std::string& link) {
        const std::string instance = usbClass + "##?#USB#Vid_0aa1&Pid_0042#" + serial;
        registry.Own(RegistryRoot::LocalMachine, instance);
        const auto hash = RegistryKey::Create(RegistryRoot::LocalMachine, instance + "\\#");
        ASSERT_TRUE(hash);
        hash->SetString("SymbolicLink", link);
        RegistryKey::Create(RegistryRoot::LocalMachine, instance + "\\#\\Control")
            ->SetDWord("Linked", 1);
    }

    static std::vector<Row> Rows(const PrinterList& list) {
        std::vector<Row> rows;
        for (const PrinterEntry* e = list.First(); e != nullptr; e = e->next) {
            rows.push_back({e->connectionType, e->model, e->address, e->identity, e->queueName});
        }
        return rows;
    }

    std::vector<std::string> Logged() const {
        return LoggedMessages(folder.PathOf("selector.log"));
    }

    ScratchFolder folder;
    ScratchRegistry registry;
    SelectorLog log;
    Spooler spooler;
    const std::unique_ptr<SimulatedUsbBus> noUsb = SimulatedUsbBus::FromText("");
    std::string installation, monitor, usbClass, unique;
};

const char* const kCannotMap =
    "Can not map Port Name to the Device Name. Make sure that the device is connected to your "
    "system directly.";

TEST_F(PrinterListTest, QueuesBecomeParallelOrNetworkEntriesByTheirPort) {
    const std::string ipPort = "IP_10.1.2.3_" + unique;
    const std::string namedPort = "Plotter_" + unique;
    NetworkPort(ipPort, "10.1.2.3", "");
    NetworkPort(namedPort, "", "plotter.example");
    spooler.queues = {
        {"Desk", "Orvik Plotara 620", "LPT1:"},    {"Lower case", "Orvik Plotara 530", "lpt1:"},
        {"Third", "Orvik Plotara 410", "LPT3:"},   {"Fourth", "Orvik Plotara 410", "LPT4:"},
        {"No colon", "Orvik Plotara 410", "LPT2"}, {"Usb queue", "Orvik Plotara 530", "USB001"},
        {"Office", "Orvik Plotara 530", ipPort},   {"Named", "orvik plotara 420", namedPort},
        {"Other make", "Other Vendor 9", ipPort},  {"Long", std::string(300, 'd'), "LPT2:"},
    };
    PrinterList list(log, SystemWith(*noUsb));

    list.ListParallelPrinters();
    EXPECT_THAT(Rows(list), ElementsAre(Row{1, std::string(259, 'd'), "LPT2", "", "Long"},
                                        Row{1, "Orvik Plotara 410", "LPT3", "", "Third"},
                                        Row{1, "Orvik Plotara 620", "LPT1", "", "Desk"}));
    EXPECT_EQ(list.Count(), 3);

    list.Empty();
    EXPECT_EQ(list.First(), nullptr);
    EXPECT_EQ(list.Count(), 0);

    list.ListNetworkPrinters();
    EXPECT_THAT(Rows(list), ElementsAre(Row{2, "Other Vendor 9", "10.1.2.3", "", "Other make"},
                                        Row{2, "orvik plotara 420", "plotter.example", "", "Named"},
                                        Row{2, "Orvik Plotara 530", "10.1.2.3", "", "Office"}));
    EXPECT_EQ(list.Count(), 3);
    // "lpt1:" holds neither "LPT" nor "USB", so it was looked up, and not found.
    const std::vector<std::string> lines = Logged();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), kCannotMap), 1);
}

TEST_F(PrinterListTest, SpoolerIsAskedAgainWhileTheBufferIsTooSmall) {
    const struct {
        const char* name;
        int queues;
        int addOnRefusal;
        bool fails;
        int calls;
        int entries;
    } cases[] = {
        {"no queues", 0, 0, false, 1, 0},
        {"two queues", 2, 0, false, 2, 2},
        {"one added between the calls", 2, 1, false, 3, 3},
        {"spooler fails", 2, 0, true, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        spooler = Spooler();
        spooler.queues.assign(c.queues, InstalledPrinter{"Q", "Orvik Plotara 620", "LPT1:"});
        spooler.added = InstalledPrinter{"Q", "Orvik Plotara 620", "LPT2:"};
        spooler.addOnRefusal = c.addOnRefusal;
        spooler.fails = c.fails;
        PrinterList list(log, SystemWith(*noUsb));
        list.ListParallelPrinters();
        EXPECT_EQ(spooler.calls, c.calls);
        EXPECT_EQ(list.Count(), c.entries);
        EXPECT_EQ(Rows(list).size(), static_cast<std::size_t>(c.entries));
    }
}

TEST_F(PrinterListTest, UsbPrintersComeFromTheRootHubsWithTheirDevicePaths) {
    const std::string serialA = "SNA" + unique;
    const std::string serialB = "SNB" + unique;
    UsbInterface(serialA, "\\\\?\\usb#vid_0aa1&pid_0042#" + serialA + "#{28d78fad}");
    const auto bus = SimulatedUsbBus::FromText(
        "controller 0 ports=3\n"
        "device 1 product=2 serial=3\n"
        "string 2 text Orvik Plotara 410\n"
        "string 3 text " +
        serialA +
        "\n"
        "hub 2\n"
        "  device 1 product=1\n"
        "  string 1 text Behind The Hub\n"
        "end\n"
        "controller 4 ports=1\n"
        "device 1 product=1 serial=2\n"
        "string 1 text Orvik Plotara 530\n"
        "string 2 text " +
        serialB + "\n");
    ASSERT_TRUE(bus);
    PrinterList list(log, SystemWith(*bus));
    list.ListUsbPrinters();
    EXPECT_THAT(
        Rows(list),
        ElementsAre(Row{0, "Orvik Plotara 530", "", serialB, ""},
                    Row{0, "Orvik Plotara 410",
                        "\\\\?\\usb#vid_0aa1&pid_0042#" + serialA + "#{28d78fad}", serialA, ""}));
    EXPECT_EQ(list.Count(), 2);
}

TEST_F(PrinterListTest, ValidationKeepsTheSupportedEntriesOfTheBuiltList) {
    folder.Write("xml/supportedprinters.xml",
                 "<L><P><M>ORVIK PLOTARA 620</M><N>Plotara 620 (LPT)</N><Y>yes</Y></P>"
                 "<P><M>Orvik Plotara 410</M><N>Plotara 410</N><Y>no</Y></P></L>");
    RegistryKey::Create(RegistryRoot::LocalMachine, installation)
        ->SetString("PRINTERSELXMLPATH", folder.PathOf("xml"));
    spooler.queues = {{"Desk", "Orvik Plotara 620", "LPT1:"},
                      {"Third", "Orvik Plotara 410", "LPT3:"},
                      {"Other", "Other Vendor 9", "LPT2:"}};
    PrinterList list(log, SystemWith(*noUsb));
    int internalErrors = 0;
    const auto count = [&internalErrors] { ++internalErrors; };

    list.ListParallelPrinters();
    ASSERT_TRUE(list.Validate("MainMenu.html", count));
    std::vector<std::string> shown;
    for (const PrinterEntry* e = list.First(); e != nullptr; e = e->next)
        shown.push_back(e->displayName);
    EXPECT_THAT(shown, ElementsAre("Plotara 410", "Plotara 620 (LPT)"));
    EXPECT_EQ(list.Count(), 2);

    list.Empty();
    list.ListParallelPrinters();
    ASSERT_TRUE(list.Validate("ColorStart.html", count));
    EXPECT_THAT(Rows(list), ElementsAre(Row{1, "Orvik Plotara 620", "LPT1", "", "Desk"}));
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(internalErrors, 0);
}

}  // namespace
