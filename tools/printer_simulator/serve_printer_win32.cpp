#include <cstdio>

#include "printer_transports.h"

int ServePrinter(const SimulatorOptions& options, CPrinterBehaviour& behaviour) {
    if (options.transport == SimulatorTransport::kPipe) return ServePipe(options, behaviour);
    std::fprintf(stderr,
                 "printer_simulator: the Windows build serves --pipe only; --tcp and --pty need "
                 "the Linux build\n");
    return 2;
}
