#include "selector/selector_params.h"

#include <cstdio>

#include "platform/program.h"
#include "selector/selector_log.h"
#include "selector/selector_module_table.h"

std::string StartPageOf(const std::string& commandLine) {
    if (commandLine.find(".html") != std::string::npos) return commandLine;
    return "MainMenu.html";
}

std::string SelectorCommandLine(const std::string& whole, const std::string& afterProgram) {
    if (afterProgram.find(".html") != std::string::npos) return afterProgram;
    return whole.find(".html") != std::string::npos ? whole : afterProgram;
}

std::string SelectorParamsText(const PrinterEntry& entry, const std::string& startPage) {
    const std::string module = SelectorModuleOf(entry.model);
    std::string text = "Name: " + entry.queueName + "\n";
    switch (entry.connectionType) {
        case kConnectionNetwork:
            text += "TCP\nIP: " + entry.address + "\nPort: 9100\nModule: " + module;
            break;
        case kConnectionParallel:
            text += "PARALLEL\nPort: " + entry.address + "\nModule: " + module;
            break;
        case kConnectionUsb:
            text += "USB\nDriver: " + entry.address + "\nModule: " + module;
            break;
        default:
            text += "Not Supported." + module;
            break;
    }
    text += "\nStart-page: " + startPage;
    return text;
}

std::string ParamsFilePath(const std::string& installationPath) {
    return installationPath + platform::PathSeparator() + "params";
}

bool WriteParamsFile(const std::string& path, const std::string& text, SelectorLog& log) {
    // Binary: the engine reads single line feeds, which text mode would widen on Windows.
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        log.Write("Failed to create params file");
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool flushed = std::fflush(file) == 0;
    const bool closed = std::fclose(file) == 0;
    return written && flushed && closed;
}
