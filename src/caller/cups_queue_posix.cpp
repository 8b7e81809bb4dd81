#include "caller/cups_queue.h"

#include <cups/cups.h>

namespace {

// The queue's attribute as the scheduler reports it; "" when it has none.
std::string OptionOf(const cups_dest_t& destination, const char* name) {
    const char* value = cupsGetOption(name, destination.num_options, destination.options);
    return value == nullptr ? std::string() : value;
}

}  // namespace

bool QueryCupsQueue(const std::string& name, CupsQueue* queue, std::string* problem) {
    cups_dest_t* destination = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.c_str(), nullptr);
    if (destination == nullptr) {
        *problem = "CUPS knows no printer queue \"" + name + "\": " + cupsLastErrorString();
        return false;
    }
    queue->deviceUri = OptionOf(*destination, "device-uri");
    queue->makeAndModel = OptionOf(*destination, "printer-make-and-model");
    cupsFreeDests(1, destination);
    if (queue->deviceUri.empty()) {
        *problem = "CUPS gives no device URI for the queue \"" + name + "\"";
        return false;
    }
    return true;
}
