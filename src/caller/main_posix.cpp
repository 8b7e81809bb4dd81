// velkorcall for CUPS queues: serves the printer behind a queue the CUPS server knows, the way
// the Windows caller serves a spooler queue.

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "caller/caller_arguments.h"
#include "caller/caller_lock.h"
#include "caller/caller_module_table.h"
#include "caller/caller_params.h"
#include "caller/cups_device_uri.h"
#include "caller/cups_queue.h"
#include "caller/engine_start.h"
#include "caller/usb_printer_nodes.h"
#include "platform/clock.h"
#include "platform/program.h"
#include "platform/program_strings.h"
#include "platform/registry.h"
#include "platform/user_shell.h"

namespace {

const char* const kInstallationKey = "SOFTWARE\\Orvik\\Plotara TroubleShooter";
const unsigned kUnusablePortText = 1;
const unsigned kUnusablePortCaption = 2;
// Long enough for the engine to have read the params file before another caller may write it.
const unsigned kEngineReadsParamsMilliseconds = 2000;

// A text value of the installation key, fewer than 260 characters; false otherwise.
bool ReadInstallationValue(platform::RegistryKey& key, const char* name, std::string* value) {
    platform::RegistryValue read;
    if (key.QueryValue(name, kCallerArgumentLimit, &read) != platform::RegistryStatus::Ok ||
        read.type != platform::RegistryType::String) {
        std::fprintf(stderr, "velkorcall: no text value \"%s\" in HKEY_LOCAL_MACHINE\\%s\n", name,
                     kInstallationKey);
        return false;
    }
    *value = read.data;
    return true;
}

void ShowError(const std::string& caption, const std::string& text) {
    std::fprintf(stderr, "velkorcall: %s\n", text.c_str());
    platform::UserShell::System().ShowErrorMessage(caption, text);
}

// Writes the params file anew; as on Windows a failed write is not reported, the engine's
// own start-up then says what is wrong.
void WriteParams(const std::string& path, const std::string& text) {
    platform::DeleteFileAt(path);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.flush();
}

int Run(const std::vector<std::string>& arguments) {
    CallerArguments parsed;
    if (!ParseCallerArguments(arguments, &parsed)) return kCallerBadCommandLine;

    const std::unique_ptr<platform::RegistryKey> key = platform::RegistryKey::Open(
        platform::RegistryRoot::LocalMachine, kInstallationKey, platform::RegistryAccess::Read);
    std::string folder;
    std::string program;
    if (key == nullptr) {
        std::fprintf(stderr, "velkorcall: no key HKEY_LOCAL_MACHINE\\%s in %s\n", kInstallationKey,
                     platform::RegistryStoreFile().c_str());
        return kCallerFailed;
    }
    if (!ReadInstallationValue(*key, "PATH", &folder) ||
        !ReadInstallationValue(*key, "EXE", &program)) {
        return kCallerFailed;
    }
    const std::string engine = folder + "/" + program;

    CupsQueue queue;
    std::string problem;
    if (!QueryCupsQueue(parsed.queueName, &queue, &problem)) {
        ShowError("Error", problem);
        return kCallerFailed;
    }
    const CupsConnection connection = MapCupsDeviceUri(queue.deviceUri, ListUsbPrinterNodes());
    const std::string text = CallerParamsText(parsed, connection.portClass, connection.address,
                                              CallerModuleOf(queue.makeAndModel));
    if (text.empty()) {
        std::fprintf(stderr, "velkorcall: queue \"%s\" on %s: %s\n", parsed.queueName.c_str(),
                     queue.deviceUri.c_str(), connection.problem.c_str());
        ShowError(platform::LoadProgramString(kUnusablePortCaption),
                  platform::LoadProgramString(kUnusablePortText, 1024));
        return kCallerFailed;
    }

    // Held until the engine has read the params file, so a second caller cannot replace it
    // first; a caller that dies releases it with its descriptor.
    CCallerLock lock;
    if (!lock.Acquire(folder + "/velkorcall.lock")) {
        std::fprintf(stderr, "velkorcall: cannot lock %s/velkorcall.lock\n", folder.c_str());
        return kCallerFailed;
    }
    WriteParams(folder + "/params", text);
    if (!StartEngineProgram(engine, folder, &problem)) {
        ShowError("Error", problem);
        return kCallerFailed;
    }
    platform::SleepMilliseconds(kEngineReadsParamsMilliseconds);
    lock.Release();
    return kCallerStarted;
}

}  // namespace

int main(int argc, char** argv) {
    platform::UseProgramStrings(platform::kProgramStrings, platform::kProgramStringCount);
    return Run(std::vector<std::string>(argv + 1, argv + argc));
}
