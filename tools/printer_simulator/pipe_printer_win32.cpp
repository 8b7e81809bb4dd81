#include <windows.h>

#include <cstdio>
#include <string>

#include "printer_transports.h"
#include "ready_signal.h"

namespace {

int Fail(const char* what) {
    std::fprintf(stderr, "printer_simulator: %s: error %lu\n", what, GetLastError());
    return 1;
}

HANDLE CreateInstance(const SimulatorOptions& options, bool slow) {
    // A stalled or paced printer offers the smallest buffer, so a writer's transfer stays
    // pending until the printer takes it.
    const DWORD inbound = slow ? 1 : 65536;
    return CreateNamedPipeA(options.pipeName.c_str(), PIPE_ACCESS_DUPLEX,
                            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT,
                            PIPE_UNLIMITED_INSTANCES, 65536, inbound, 0, nullptr);
}

bool WriteAll(HANDLE pipe, const std::string& bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        DWORD count = 0;
        if (!WriteFile(pipe, bytes.data() + written, static_cast<DWORD>(bytes.size() - written),
                       &count, nullptr) ||
            count == 0) {
            return false;
        }
        written += count;
    }
    return true;
}

void ServeClient(HANDLE pipe, CPrinterBehaviour& behaviour) {
    behaviour.BeginConnection();
    behaviour.StallBeforeReading();
    char buffer[65536];
    for (;;) {
        const std::size_t allowance = behaviour.ReadAllowance(sizeof buffer);
        if (allowance == 0) {
            behaviour.DelayAnswer();
            return;  // hang up
        }
        DWORD count = 0;
        if (!ReadFile(pipe, buffer, static_cast<DWORD>(allowance), &count, nullptr)) return;
        if (count == 0) continue;
        const std::string answer = behaviour.Receive(buffer, count);
        if (answer.empty()) continue;
        behaviour.DelayAnswer();
        if (!WriteAll(pipe, answer)) return;
    }
}

}  // namespace

int ServePipe(const SimulatorOptions& options, CPrinterBehaviour& behaviour) {
    HANDLE current = CreateInstance(options, behaviour.TakesSlowly());
    if (current == INVALID_HANDLE_VALUE)
        return Fail(("CreateNamedPipe " + options.pipeName).c_str());
    if (!SignalReady(options.readyPath, options.pipeName)) return Fail("ready file");
    long served = 0;
    for (;;) {
        if (!ConnectNamedPipe(current, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) {
            return Fail("ConnectNamedPipe");
        }
        // The next instance listens while this client is served, so a client that opens
        // the device right after the last one closed never finds the pipe busy.
        HANDLE next = CreateInstance(options, behaviour.TakesSlowly());
        if (next == INVALID_HANDLE_VALUE) return Fail("CreateNamedPipe");
        ServeClient(current, behaviour);
        DisconnectNamedPipe(current);
        CloseHandle(current);
        current = next;
        if (options.connections > 0 && ++served >= options.connections) break;
    }
    CloseHandle(current);
    return 0;
}
