#include "platform/program_command_line.h"

namespace platform {

std::string FirstCommandLineToken(const std::string& commandLine) {
    std::string name;
    bool quoted = false;
    for (char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && (c == ' ' || c == '\t')) break;
        name += c;
    }
    return name;
}

}  // namespace platform
