#include "harness/browser_recording.h"

#include <fstream>
#include <sstream>

#include "harness/wait.h"

namespace harness {

namespace {

const char* const kRecordFile = "browser-opened.txt";

}  // namespace

RegistryFile RecordingBrowser(InstallationBuilder& builder, const ProgramTarget& target,
                              RegistryFile entries) {
    const std::string recorder = builder.InstallProgram(target, "browser_recorder");
    entries.SetString("HKEY_CLASSES_ROOT\\http\\shell\\open\\command", "",
                      "\"" + target.PathAsSeen(recorder) + "\" \"%1\"");
    return entries;
}

std::vector<std::string> OpenedAddresses(const InstallationBuilder& builder) {
    std::ifstream in(builder.PathOf(kRecordFile), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string text = bytes.str();
    // Each start writes its whole line at once; text after the last line end is no address.
    std::vector<std::string> addresses;
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos;
         start = end + 1, end = text.find('\n', start)) {
        addresses.push_back(text.substr(start, end - start));
    }
    return addresses;
}

bool WaitForOpenedAddresses(const InstallationBuilder& builder, std::size_t count,
                            double guardSeconds) {
    return WaitUntil([&] { return OpenedAddresses(builder).size() >= count; }, guardSeconds, 20);
}

}  // namespace harness
