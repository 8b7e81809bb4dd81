#include "caller/usb_printer_nodes.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace {

// N of a name "lpN", or -1.
int PrinterNumber(const std::string& name) {
    if (name.size() < 3 || name.compare(0, 2, "lp") != 0 || name.size() > 6) return -1;
    int number = 0;
    for (std::size_t i = 2; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return -1;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

// A sysfs attribute without its final line feed; "" when it cannot be read.
std::string Attribute(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\0')) text.pop_back();
    return text;
}

}  // namespace

std::vector<UsbPrinterNode> ListUsbPrinterNodes(const std::string& deviceFolder,
                                                const std::string& classFolder) {
    std::vector<std::pair<int, std::string>> names;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(deviceFolder, error), end;
         !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        const int number = PrinterNumber(name);
        if (number >= 0) names.emplace_back(number, name);
    }
    std::sort(names.begin(), names.end());

    std::vector<UsbPrinterNode> nodes;
    for (const auto& numbered : names) {
        // The class device's "device" is the printer's USB interface; its parent the device.
        const std::filesystem::path interface =
            std::filesystem::path(classFolder) / numbered.second / "device";
        UsbPrinterNode node;
        node.devicePath = deviceFolder + "/" + numbered.second;
        node.deviceId = Attribute(interface / "ieee1284_id");
        node.serial = Attribute(interface / ".." / "serial");
        nodes.push_back(node);
    }
    return nodes;
}
