#include "engine/startup_message.h"

namespace {

const char* const kPrinterSeries[][2] = {
    {"brenna", "Orvik Plotara 310ps 320ps 350ps"},
    {"quessel CAD", "Orvik Plotara 600/600plus series"},
    {"quessel CAD Japan", "Orvik Plotara 610/610plus series"},
    {"quessel GA", "Orvik Plotara 620"},
    {"merrow", "Orvik Plotara 500/530 series"},
    {"tolvar GA", "Orvik Plotara 420"},
    {"tolvar CAD", "Orvik Plotara 410"},
};

}  // namespace

std::string PrinterSeriesOfModule(const std::string& module) {
    for (const auto& row : kPrinterSeries) {
        if (module == row[0]) return row[1];
    }
    return std::string();
}

std::string ModuleNotInstalledMessage(std::string text, const std::string& module) {
    const std::string::size_type placeholder = text.find("%1");
    if (placeholder != std::string::npos) {
        text.replace(placeholder, 2, PrinterSeriesOfModule(module));
    }
    return text;
}
