#pragma once
/// The engine's HTTP port, fixed: browsers, module pages and other engines all expect it.

#include <cstdint>

constexpr std::uint16_t kEnginePort = 8190;
