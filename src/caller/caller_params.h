#pragma once
/// What the caller tells the engine through the params file.

#include <cstdint>
#include <string>

#include "caller/caller_arguments.h"

/// Exit codes of the caller program.
constexpr int kCallerStarted = 0, kCallerBadCommandLine = 87, kCallerFailed = 31;

/// The params text for the queue in `arguments` on a port of `portClass` (a CPortClassifier
/// class) with `address` as the classifier gave it, lines joined by single line feeds, no
/// final break. Empty for a class the engine cannot serve (anything but parallel, IEEE 1394,
/// USB and network).
std::string CallerParamsText(const CallerArguments& arguments, std::int32_t portClass,
                             const std::string& address, const std::string& module);
