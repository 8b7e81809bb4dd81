#pragma once
/// Starts the printer selector with the colour start page and does not wait for it.

#include "launcher/selector_location.h"

/// The one command line the selector is given: the start page it hands the engine.
constexpr const char* kSelectorCommandLine = "ColorStart.html";

/// Starts `location`'s program in its folder, with no handles inherited and this process's
/// environment; false when the process could not be made.
bool StartSelector(const SelectorLocation& location);
