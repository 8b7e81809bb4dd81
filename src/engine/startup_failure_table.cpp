#include "engine/startup_failure_table.h"

#include "base/tavrin_exception.h"

namespace {

template <typename Failure>
bool Is(const CTavrinException& failure) {
    return dynamic_cast<const Failure*>(&failure) != nullptr;
}

using V = StartupValue;
using N = StartupNotice;

const StartupFailure kStartupFailures[] = {
    {0, nullptr, "Caught unknown exception!", V::None, V::None, N::None, nullptr, 0},
    {1, Is<CNoSMMInstalled>, "There is no SMM installed on the computer.", V::None, V::None,
     N::MessageBox, nullptr, 1},
    {2, Is<CNoProductSupported>, "None of the SMM installed has support for any printer.", V::None,
     V::None, N::MessageBox, nullptr, 2},
    {3, Is<CParamsFileDoesNotExist>, "The params file has not been found.", V::None, V::None,
     N::MessageBox, nullptr, 3},
    {4, Is<CParamsFileBadFormat>, "The params file is not correctly formatted.", V::None, V::None,
     N::MessageBox, nullptr, 4},
    {5, Is<CModuleNotInstalled>, "The module %1 requested in the params file is not installed.",
     V::Module, V::None, N::MessageBox, nullptr, 5},
    {6, Is<CModuleXMLFileDoesNotExist>, "The %1\\module.xml file has not been found.",
     V::ModuleDirectory, V::None, N::MessageBox, nullptr, 6},
    {7, Is<CModuleXMLNotWellFormed>, "The %1\\module.xml file is not correctly formatted.",
     V::ModuleDirectory, V::None, N::MessageBox, nullptr, 7},
    {8, Is<CProdNumberFileDoesNotExist>, "The %1\\vw\\%2 file has not been found.",
     V::ModuleDirectory, V::ProductNumberFile, N::MessageBox, nullptr, 8},
    {9, Is<CPrinterIOError>,
     "The %1 channel %2 used cannot be opened while retrieving the product number.", V::PrinterType,
     V::PrinterAddress, N::LocalPage, "_io_startup.html", 0},
    {10, Is<CPrinterNotSupported>,
     "The printer with product number %1 is not supported by module '%2'.", V::ProductNumber,
     V::ModuleName, N::LocalPage, "_prt_unsupported.html", 0},
    {11, Is<CTavrinPortInUse>,
     "The port 8190 is being used by other application that is not a sme.", V::None, V::None,
     N::ServedPage, "_port_used.html", 0},
    {12, Is<CTavrinEngineInUse>, "The port 8190 is being used by other sme with a different module",
     V::None, V::None, N::ServedPage, "_smu_used.html", 0},
    {13, Is<CTavrinModuleInUse>,
     "The port 8190 is being used by other sme with the same module but different printer", V::None,
     V::None, N::ServedPage, "_smu_used.html", 0},
    {14, Is<CIncorrectProxySettings>, nullptr, V::None, V::None, N::LocalPage, "_win_proxy.html",
     0},
};

}  // namespace

const StartupFailure* StartupFailureOfKind(int kind) {
    for (const StartupFailure& row : kStartupFailures) {
        if (row.kind == kind) return &row;
    }
    return nullptr;
}

int StartupFailureKind(const CTavrinException& failure) {
    for (const StartupFailure& row : kStartupFailures) {
        if (row.matches != nullptr && row.matches(failure)) return row.kind;
    }
    return 0;
}
