#include "caller/caller_params.h"

#include "printerio/port_classifier.h"

namespace {

// The engine opens a parallel port by its bare name.
std::string WithoutFinalColon(const std::string& portName) {
    if (!portName.empty() && portName.back() == ':') {
        return portName.substr(0, portName.size() - 1);
    }
    return portName;
}

}  // namespace

std::string CallerParamsText(const CallerArguments& arguments, std::int32_t portClass,
                             const std::string& address, const std::string& module) {
    std::string text = "Name: " + arguments.queueName + "\n";
    switch (portClass) {
        case CPortClassifier::kParallel:
            text += "PARALLEL\nPort: " + WithoutFinalColon(address);
            break;
        case CPortClassifier::kIeee1394:
            text += "1394\nDriver: " + address;
            break;
        case CPortClassifier::kUsb:
            text += "USB\nDriver: " + address;
            break;
        case CPortClassifier::kNetwork:
            text += "TCP\nIP: " + address + "\nPort: 9100";
            break;
        default:
            return std::string();
    }
    return text + "\nModule: " + module + "\nStart-page: " + arguments.startPage;
}
