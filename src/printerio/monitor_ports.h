#pragma once
/// The walk over every port monitor's ports that both the launcher and the selector make to
/// find a network port's key.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/registry.h"

/// What a visit of one monitor's port key decided.
enum class MonitorVisit { NextMonitor, Stop };

/// Visits, for each of the first 1000 monitors, the key of `portName` among the monitor's
/// first 1000 ports (names compared exactly), until a visit says Stop. False when the
/// monitors key cannot be opened.
bool VisitMonitorPortKeys(const std::string& portName,
                          const std::function<MonitorVisit(platform::RegistryKey& portKey)>& visit);
