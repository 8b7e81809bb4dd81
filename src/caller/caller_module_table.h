#pragma once
/// Which engine module serves the printer behind a queue's driver.

#include <string>

/// The module of the first row with a model name that begins with `driverName`, ignoring
/// case; "brenna" when no row has one. An empty driver name begins every name: row 1.
std::string CallerModuleOf(const std::string& driverName);
