// spooler_fixture: registers print queues in the spooler of the Wine prefix it runs in, so
// that tests find printers with the names, ports and driver names they choose.
//
//   spooler_fixture add NAME PORT DRIVER       add a queue; installs DRIVER first if needed
//   spooler_fixture add-driver DRIVER [--no-ppd]
//   spooler_fixture remove NAME
//   spooler_fixture remove-driver DRIVER
//   spooler_fixture list                       one line per queue: NAME, PORT, DRIVER by tabs
//
// A driver is installed as Wine's PostScript driver under the name given, with a small PPD
// as its data file, so that CreateDCA for its queues succeeds (the driver answers every
// private escape with 0). With --no-ppd the data file is missing and CreateDCA fails, as for
// a broken driver. Wine takes any port name ("LPT1:", "USB001", "IP_127.0.0.2", ...) and keeps
// the queues in the prefix's registry, where EnumPrintersA finds them at level 2.
// Exit code 0 on success, 1 when the spooler refused (a line on stderr), 2 on bad usage.
// The version resource beside this file gives tests a program of a known version.

#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char* const kPpdName = "velkor_fixture.ppd";
const char* const kMissingPpdName = "velkor_fixture_missing.ppd";
const char kPpd[] =
    "*PPD-Adobe: \"4.3\"\n"
    "*NickName: \"Velkor test plotter\"\n"
    "*DefaultPageSize: A4\n"
    "*PageSize A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
    "*ImageableArea A4: \"0 0 595 842\"\n"
    "*PaperDimension A4: \"595 842\"\n";

int Refused(const char* what, const std::string& name) {
    std::fprintf(stderr, "spooler_fixture: %s \"%s\" failed, error %lu\n", what, name.c_str(),
                 GetLastError());
    return 1;
}

bool SameText(const std::string& a, const char* b) {
    return b != nullptr && lstrcmpiA(a.c_str(), b) == 0;
}

bool DriverInstalled(const std::string& driver) {
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrinterDriversA(nullptr, nullptr, 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed + 1);
    if (!EnumPrinterDriversA(nullptr, nullptr, 1, buffer.data(), needed, &needed, &count)) {
        return false;
    }
    const auto* drivers = reinterpret_cast<const DRIVER_INFO_1A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (SameText(driver, drivers[i].pName)) return true;
    }
    return false;
}

int AddDriver(const std::string& driver, bool withPpd) {
    // The spooler copies the data file into its driver folder under the file's own name.
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string dataFile = std::string(temp) + (withPpd ? kPpdName : kMissingPpdName);
    if (withPpd) std::ofstream(dataFile, std::ios::binary) << kPpd;

    DRIVER_INFO_3A info{};
    info.cVersion = 3;
    info.pName = const_cast<char*>(driver.c_str());
    info.pDriverPath = const_cast<char*>("wineps.drv");
    info.pDataFile = &dataFile[0];
    info.pConfigFile = const_cast<char*>("wineps.drv");
    if (!AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&info),
                             APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY)) {
        return Refused("AddPrinterDriverExA", driver);
    }
    return 0;
}

int AddQueue(const std::string& name, const std::string& port, const std::string& driver) {
    if (!DriverInstalled(driver) && AddDriver(driver, true) != 0) return 1;
    PRINTER_INFO_2A info{};
    info.pPrinterName = const_cast<char*>(name.c_str());
    info.pPortName = const_cast<char*>(port.c_str());
    info.pDriverName = const_cast<char*>(driver.c_str());
    info.pPrintProcessor = const_cast<char*>("WinPrint");
    info.pDatatype = const_cast<char*>("RAW");
    HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (printer == nullptr) return Refused("AddPrinterA", name);
    ClosePrinter(printer);
    return 0;
}

int RemoveQueue(const std::string& name) {
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!OpenPrinterA(const_cast<char*>(name.c_str()), &printer, &defaults)) {
        return Refused("OpenPrinterA", name);
    }
    const BOOL deleted = DeletePrinter(printer);
    ClosePrinter(printer);
    return deleted ? 0 : Refused("DeletePrinter", name);
}

int RemoveDriver(const std::string& driver) {
    if (!DeletePrinterDriverA(nullptr, nullptr, const_cast<char*>(driver.c_str()))) {
        return Refused("DeletePrinterDriverA", driver);
    }
    return 0;
}

int List() {
    DWORD needed = 0;
    DWORD count = 0;
    std::vector<BYTE> buffer;
    while (!EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(),
                          static_cast<DWORD>(buffer.size()), &needed, &count)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return Refused("EnumPrintersA", "");
        buffer.resize(needed);
    }
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        std::printf("%s\t%s\t%s\n", printers[i].pPrinterName,
                    printers[i].pPortName ? printers[i].pPortName : "",
                    printers[i].pDriverName ? printers[i].pDriverName : "");
    }
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: spooler_fixture add NAME PORT DRIVER | add-driver DRIVER [--no-ppd]\n"
                 "       | remove NAME | remove-driver DRIVER | list\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 4 && args[0] == "add") return AddQueue(args[1], args[2], args[3]);
    if (args.size() == 2 && args[0] == "add-driver") return AddDriver(args[1], true);
    if (args.size() == 3 && args[0] == "add-driver" && args[2] == "--no-ppd") {
        return AddDriver(args[1], false);
    }
    if (args.size() == 2 && args[0] == "remove") return RemoveQueue(args[1]);
    if (args.size() == 2 && args[0] == "remove-driver") return RemoveDriver(args[1]);
    if (args.size() == 1 && args[0] == "list") return List();
    return Usage();
}
