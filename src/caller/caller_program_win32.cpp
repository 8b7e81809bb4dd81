#include "caller/caller_program_win32.h"

#include <windows.h>

#include "caller/caller_arguments.h"
#include "caller/caller_engine_location_win32.h"
#include "caller/caller_engine_start_win32.h"
#include "caller/caller_messages_win32.h"
#include "caller/caller_module_table.h"
#include "caller/caller_params.h"
#include "caller/caller_queue_win32.h"
#include "platform/os_version.h"
#include "printerio/port_classifier.h"

namespace {

// Held for the program's life, never owned: it marks a process of the maintenance tools.
const char* const kToolsMutex = "CIOUtilsTracesMonitor";
// Owned from before the params file is written until the engine has had time to read it.
const char* const kCallerMutex = "Sme_callerMutex";
const DWORD kEngineReadTime = 2000;

bool IsServedClass(std::int32_t portClass) {
    return portClass == CPortClassifier::kParallel || portClass == CPortClassifier::kIeee1394 ||
           portClass == CPortClassifier::kUsb || portClass == CPortClassifier::kNetwork;
}

bool IsUnusableClass(std::int32_t portClass) {
    return portClass == CPortClassifier::kNotMapped || portClass == CPortClassifier::kFile ||
           portClass == CPortClassifier::kSerial;
}

// The caller mutex, owned; waits without limit while another caller owns it. A caller that
// ended without releasing it leaves it abandoned, which hands it over just the same.
HANDLE TakeCallerMutex() {
    const HANDLE mutex = CreateMutexA(nullptr, TRUE, kCallerMutex);
    if (mutex == nullptr) return nullptr;
    if (GetLastError() == ERROR_ALREADY_EXISTS) WaitForSingleObject(mutex, INFINITE);
    return mutex;
}

}  // namespace

int RunCaller(const std::vector<std::string>& arguments) {
    platform::OsVersion version;
    if (!platform::QueryOsVersion(&version)) return kCallerFailed;
    const HANDLE toolsMutex = CreateMutexA(nullptr, FALSE, kToolsMutex);
    if (toolsMutex == nullptr) return kCallerFailed;

    CallerArguments parsed;
    if (!ParseCallerArguments(arguments, &parsed)) return kCallerBadCommandLine;

    std::string folder;
    std::string fileName;
    if (!ReadEngineLocation(&folder, &fileName)) return kCallerFailed;
    const std::string program = folder + "\\" + fileName;

    std::string portName;
    std::string driverName;
    if (!ReadQueuePortAndDriver(parsed.queueName, &portName, &driverName)) {
        ShowSystemErrorMessage(GetLastError());
        return kCallerFailed;
    }

    char address[CPortClassifier::kAddressSize] = {};
    const std::int32_t portClass = CPortClassifier().Classify(portName.c_str(), address);
    if (IsUnusableClass(portClass)) {
        ShowUnusablePortMessage();
        return kCallerFailed;
    }
    if (!IsServedClass(portClass)) return kCallerFailed;
    const std::string params =
        CallerParamsText(parsed, portClass, address, CallerModuleOf(driverName));

    const HANDLE callerMutex = TakeCallerMutex();
    if (callerMutex == nullptr) return kCallerFailed;
    WriteCallerParamsFile(folder + "\\params", params);
    if (!StartCallerEngine(program, folder)) {
        const DWORD error = GetLastError();
        // The next caller need not wait for this one's message to be read.
        ReleaseMutex(callerMutex);
        ShowSystemErrorMessage(error);
        return kCallerFailed;
    }
    Sleep(kEngineReadTime);
    ReleaseMutex(callerMutex);
    return kCallerStarted;
}
