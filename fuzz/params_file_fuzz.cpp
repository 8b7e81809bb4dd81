// Feeds arbitrary bytes to the params file grammar.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/tavrin_exception.h"
#include "config/params_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CParamsFile file;
    try {
        file.Parse(std::string(reinterpret_cast<const char*>(data), size));
    } catch (CTavrinException* e) {
        TakeOwnership(e);
        return 0;
    }
    // An accepted file always names one of the four connections.
    const std::string type = file.GetConnectionType();
    if (type != "ip" && type != "usb" && type != "parallel" && type != "at") std::abort();
    if (type == "at" && file.GetPrinterAddress().find("::") == std::string::npos) std::abort();
    return 0;
}
