#pragma once
/// The ordered text map used for variables, parameters, headers and registry tables:
/// byte-wise ordered keys.

#include <map>
#include <string>

using TextMap = std::map<std::string, std::string>;
