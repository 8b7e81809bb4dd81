#include <cstdio>

#include "printer_transports.h"

int ServePrinter(const SimulatorOptions& options, CPrinterBehaviour& behaviour) {
    switch (options.transport) {
        case SimulatorTransport::kTcp:
            return ServeTcp(options, behaviour);
        case SimulatorTransport::kPty:
            return ServePty(options, behaviour);
        default:
            break;
    }
    std::fprintf(stderr, "printer_simulator: --pipe needs the Windows build, run under Wine\n");
    return 2;
}
