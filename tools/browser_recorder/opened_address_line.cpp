#include "opened_address_line.h"

const char* const kOpenedAddressFile = "browser-opened.txt";

std::string OpenedAddressLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        if (&argument != &arguments.front()) line += ' ';
        line += argument;
    }
    return line + "\n";
}
