#include "engine/browser_command.h"

const char* const kBrowserCommandKey = "http\\shell\\open\\command";

std::string BrowserProgramOfCommand(const std::string& command) {
    if (!command.empty() && command[0] == '"') {
        const std::string::size_type close = command.find('"', 1);
        return command.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    const std::string::size_type dot = command.find('.');
    return command.substr(0, dot == std::string::npos ? 3 : dot + 4);
}
