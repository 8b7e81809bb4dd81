#include "caller/caller_module_table.h"

#include "config/printer_module_table.h"

std::string CallerModuleOf(const std::string& driverName) {
    return ModuleOfDriver(driverName, "brenna");
}
