#include "selector/selector_module_table.h"

#include "config/printer_module_table.h"

std::string SelectorModuleOf(const std::string& model) {
    // An empty model would be the beginning of every name and pick the first row; a queue
    // without a driver name is no printer of ours.
    if (model.empty()) return "Not Supported";
    return ModuleOfDriver(model, "Not Supported");
}
