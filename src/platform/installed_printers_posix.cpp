#include <dlfcn.h>

#include <string>
#include <utility>

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

const Cups& TheCups() {
    static const Cups cups;
    return cups;
}

// The CUPS destinations stand for the spooler's printers, their make and model for the
// driver name. No escape reaches a CUPS driver, so no device context can be had.
class PosixInstalledPrinters : public InstalledPrinters {
public:
    PrinterListStatus Enumerate(unsigned char* /*buffer*/, std::uint32_t size,
                                std::uint32_t* needed,
                                std::vector<InstalledPrinter>* printers) override {
        const Cups& cups = TheCups();
        if (!cups.Present()) return PrinterListStatus::Failed;
        CupsDest* dests = nullptr;
        const int count = cups.getDests(&dests);
        std::vector<InstalledPrinter> found;
        for (int i = 0; i < count; ++i) {
            std::string name = dests[i].name != nullptr ? dests[i].name : "";
            if (dests[i].instance != nullptr) name += std::string("/") + dests[i].instance;
            const char* model =
                cups.getOption("printer-make-and-model", dests[i].optionCount, dests[i].options);
            found.push_back({name, model != nullptr ? model : ""});
        }
        if (dests != nullptr) cups.freeDests(count, dests);

        // The caller sizes its buffer as it would for the spooler: a record and the two
        // strings per printer must fit, or it is told how much to ask for.
        std::uint32_t bytes = 0;
        for (const InstalledPrinter& printer : found) {
            bytes += static_cast<std::uint32_t>(2 * sizeof(void*) + printer.name.size() + 1 +
                                                printer.driverName.size() + 1);
        }
        if (size < bytes) {
            *needed = bytes;
            return PrinterListStatus::InsufficientBuffer;
        }
        *printers = std::move(found);
        return PrinterListStatus::Ok;
    }

    DeviceContext OpenDeviceContext(const std::string&, const std::string&) override {
        return kNoDeviceContext;
    }
    int DriverEscape(DeviceContext, int, char*, int) override { return -1; }
    void CloseDeviceContext(DeviceContext) override {}
};

}  // namespace

InstalledPrinters& InstalledPrinters::System() {
    static PosixInstalledPrinters printers;
    return printers;
}

}  // namespace platform
