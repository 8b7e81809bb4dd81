#pragma once
/// The engine module that serves a printer model, as the programs that start the engine
/// choose it from a queue's driver name.

#include <string>

/// The module of the first row that has a model name beginning with `driverName`, letters
/// compared without case; `fallback` when no row has one. An empty driver name begins every
/// name and so takes the first row.
std::string ModuleOfDriver(const std::string& driverName, const std::string& fallback);
