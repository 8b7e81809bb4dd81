#pragma once
/// Where port discovery writes its log lines: the selector hands in its log writer.

#include <functional>
#include <string>

/// Receives one line without its line end.
using PortDiscoveryLog = std::function<void(const std::string& line)>;
