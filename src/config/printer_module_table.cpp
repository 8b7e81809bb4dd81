#include "config/printer_module_table.h"

#include "text/ascii_case.h"

namespace {

struct ModuleRow {
    const char* models[4];
    const char* module;
};

// Rows are consulted in order, so a driver name that begins names of several rows
// ("orvik plotara 6") takes the first of them.
const ModuleRow kModuleRows[] = {
    {{"orvik plotara 310ps", "orvik plotara 320ps", "orvik plotara 350ps"}, "brenna"},
    {{"orvik plotara 600"}, "quessel CAD"},
    {{"orvik plotara 610"}, "quessel CAD Japan"},
    {{"Orvik plotara 600plus"}, "quessel CAD"},
    {{"Orvik plotara 610plus", "Orvik plotara 610plus nr"}, "quessel CAD Japan"},
    {{"orvik plotara 620", "orvik plotara 620nr"}, "quessel GA"},
    {{"orvik plotara 530", "orvik plotara 530nr", "orvik plotara 500", "orvik plotara 500n"},
     "merrow"},
    {{"orvik plotara 420", "orvik plotara 420r"}, "tolvar GA"},
    {{"orvik plotara 410"}, "tolvar CAD"},
};

}  // namespace

std::string ModuleOfDriver(const std::string& driverName, const std::string& fallback) {
    for (const ModuleRow& row : kModuleRows) {
        for (const char* name : row.models) {
            if (name != nullptr && StartsWithIgnoringAsciiCase(name, driverName)) {
                return row.module;
            }
        }
    }
    return fallback;
}
