#include <dlfcn.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/installed_printers.h"

namespace platform {

namespace {

// The CUPS library's own records (cups/cups.h), stable since CUPS 1.1. It is bound at run
// time, so a system without CUPS still runs the engine: it simply has no printer list.
struct CupsOption {
    char* name;
    char* value;
};
struct CupsDest {
    char* name;
    char* instance;
    int isDefault;
    int optionCount;
    CupsOption* options;
};
using GetDests = int (*)(CupsDest**);
using FreeDests = void (*)(int, CupsDest*);
using GetOption = const char* (*)(const char*, int, CupsOption*);

struct Cups {
    GetDests getDests = nullptr;
    FreeDests freeDests = nullptr;
    GetOption getOption = nullptr;

    Cups() {
        void* library = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) return;
        getDests = reinterpret_cast<GetDests>(dlsym(library, "cupsGetDests"));
        freeDests = reinterpret_cast<FreeDests>(dlsym(library, "cupsFreeDests"));
        getOption = reinterpret_cast<GetOption>(dlsym(library, "cupsGetOption"));
    }
    bool Present() const {
        return getDests != nullptr && freeDests != nullptr && getOption != nullptr;
    }
};

const std::uint32_t kInsufficientBuffer = 122;  // the Win32 number callers expect
const std::uint32_t kNoCups = 1722;             // RPC_S_SERVER_UNAVAILABLE: no spooler to ask
thread_local std::uint32_t t_lastError = 0;

PrinterListStatus InsufficientBuffer(std::uint32_t bytes, std::uint32_t* needed) {
    t_lastError = kInsufficientBuffer;
    *needed = bytes;
    return PrinterListStatus::InsufficientBuffer;
}

const Cups& TheCups() {
    static const Cups cups;
    return cups;
}

// The CUPS destinations stand for the spooler's printers, their make and model for the
// driver name, their device URI for the port; the ports are the queues' distinct device
// URIs. No escape reaches a CUPS driver, so no device context can be had.
class PosixInstalledPrinters : public InstalledPrinters {
public:
    PrinterListStatus Enumerate(unsigned char* /*buffer*/, std::uint32_t size,
                                std::uint32_t* needed,
                                std::vector<InstalledPrinter>* printers) override {
        std::vector<InstalledPrinter> found;
        if (!ReadQueues(&found)) return PrinterListStatus::Failed;
        // The caller sizes its buffer as it would for the spooler: a record and the
        // strings per printer must fit, or it is told how much to ask for.
        std::uint32_t bytes = 0;
        for (const InstalledPrinter& printer : found) {
            bytes += static_cast<std::uint32_t>(kPrinterInfo2Size + printer.name.size() + 1 +
                                                printer.driverName.size() + 1 +
                                                printer.portName.size() + 1);
        }
        if (size < bytes) return InsufficientBuffer(bytes, needed);
        t_lastError = 0;
        *printers = std::move(found);
        return PrinterListStatus::Ok;
    }

    PrinterListStatus EnumeratePorts(unsigned char* /*buffer*/, std::uint32_t size,
                                     std::uint32_t* needed,
                                     std::vector<InstalledPort>* ports) override {
        std::vector<InstalledPrinter> queues;
        if (!ReadQueues(&queues)) return PrinterListStatus::Failed;
        std::vector<InstalledPort> found;
        std::uint32_t bytes = 0;
        for (const InstalledPrinter& queue : queues) {
            if (queue.portName.empty()) continue;
            bool known = false;
            for (const InstalledPort& port : found) known = known || port.name == queue.portName;
            if (known) continue;
            found.push_back({queue.portName, kCupsMonitor});
            bytes += static_cast<std::uint32_t>(kPortInfo2Size + queue.portName.size() + 1 +
                                                sizeof kCupsMonitor);
        }
        if (size < bytes) return InsufficientBuffer(bytes, needed);
        t_lastError = 0;
        *ports = std::move(found);
        return PrinterListStatus::Ok;
    }

    std::uint32_t LastError() override { return t_lastError; }

    DeviceContext OpenDeviceContext(const std::string&, const std::string&) override {
        return kNoDeviceContext;
    }
    int DriverEscape(DeviceContext, int, char*, int) override { return -1; }
    void CloseDeviceContext(DeviceContext) override {}

private:
    static constexpr char kCupsMonitor[] = "CUPS";

    static bool ReadQueues(std::vector<InstalledPrinter>* queues) {
        const Cups& cups = TheCups();
        if (!cups.Present()) {
            t_lastError = kNoCups;
            return false;
        }
        CupsDest* dests = nullptr;
        const int count = cups.getDests(&dests);
        for (int i = 0; i < count; ++i) {
            std::string name = dests[i].name != nullptr ? dests[i].name : "";
            if (dests[i].instance != nullptr) name += std::string("/") + dests[i].instance;
            const char* model =
                cups.getOption("printer-make-and-model", dests[i].optionCount, dests[i].options);
            const char* uri = cups.getOption("device-uri", dests[i].optionCount, dests[i].options);
            queues->push_back({name, model != nullptr ? model : "", uri != nullptr ? uri : ""});
        }
        if (dests != nullptr) cups.freeDests(count, dests);
        return true;
    }
};

}  // namespace

InstalledPrinters& InstalledPrinters::System() {
    static PosixInstalledPrinters printers;
    return printers;
}

}  // namespace platform
