// The printer simulator: a printer for tests and demonstrations that records what it is sent
// and answers, stalls, stays silent or hangs up as it is told.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "byte_record.h"
#include "printer_behaviour.h"
#include "printer_transports.h"
#include "simulator_options.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    SimulatorOptions options;
    std::string error;
    if (!ParseSimulatorOptions(arguments, options, error)) {
        std::fprintf(stderr, "printer_simulator: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(SimulatorUsage(), stdout);
        return 0;
    }
    CByteRecord record(options.recordPath);
    if (!record.IsUsable()) {
        std::fprintf(stderr, "printer_simulator: cannot write %s\n", options.recordPath.c_str());
        return 1;
    }
    if (options.maxSeconds > 0) {
        const long seconds = options.maxSeconds;
        std::thread([seconds] {
            std::this_thread::sleep_for(std::chrono::seconds(seconds));
            std::fflush(stdout);
            std::_Exit(0);
        }).detach();
    }
    CPrinterBehaviour behaviour(options, record);
    return ServePrinter(options, behaviour);
}
