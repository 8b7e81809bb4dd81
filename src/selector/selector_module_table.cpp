#include "selector/selector_module_table.h"

#include <cctype>
#include <cstddef>

namespace {

struct ModuleRow {
    const char* models[4];
    const char* module;
};

// Rows are consulted in order: a driver name that is the beginning of names in several rows
// ("orvik plotara 6") takes the first of them.
const ModuleRow kModuleRows[] = {
    {{"orvik plotara 310ps", "orvik plotara 320ps", "orvik plotara 350ps"}, "brenna"},
    {{"orvik plotara 600"}, "quessel CAD"},
    {{"orvik plotara 610"}, "quessel CAD Japan"},
    {{"orvik plotara 600plus"}, "quessel CAD"},
    {{"orvik plotara 610plus", "orvik plotara 610plus nr"}, "quessel CAD Japan"},
    {{"orvik plotara 620", "orvik plotara 620nr"}, "quessel GA"},
    {{"orvik plotara 530", "orvik plotara 530nr", "orvik plotara 500", "orvik plotara 500n"},
     "merrow"},
    {{"orvik plotara 420", "orvik plotara 420r"}, "tolvar GA"},
    {{"orvik plotara 410"}, "tolvar CAD"},
};

const char* const kNotSupported = "Not Supported";

bool BeginsWithIgnoringCase(const char* name, const std::string& model) {
    for (std::size_t i = 0; i < model.size(); ++i) {
        if (name[i] == '\0') return false;
        if (std::tolower(static_cast<unsigned char>(name[i])) !=
            std::tolower(static_cast<unsigned char>(model[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string SelectorModuleOf(const std::string& model) {
    // An empty model would be the beginning of every name and pick the first row; a queue
    // without a driver name is no printer of ours.
    if (model.empty()) return kNotSupported;
    for (const ModuleRow& row : kModuleRows) {
        for (const char* name : row.models) {
            if (name != nullptr && BeginsWithIgnoringCase(name, model)) return row.module;
        }
    }
    return kNotSupported;
}
