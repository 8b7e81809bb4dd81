#include "selector/printer_group.h"

std::string DomainOfGroup(PrinterGroup group) {
    switch (group) {
        case PrinterGroup::Parallel:
            return "LPT";
        case PrinterGroup::Network:
            return "NETWORK";
        case PrinterGroup::Usb:
            break;
    }
    return "USB";
}

PrinterGroup GroupOfDomain(const std::string& domain) {
    if (domain == "LPT") return PrinterGroup::Parallel;
    if (domain == "NETWORK") return PrinterGroup::Network;
    return PrinterGroup::Usb;
}
