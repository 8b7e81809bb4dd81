#pragma once
/// Which engine module serves a printer model.

#include <string>

/// The module of the first row with a model name that begins with `model`, ignoring case;
/// "Not Supported" when none does.
std::string SelectorModuleOf(const std::string& model);
