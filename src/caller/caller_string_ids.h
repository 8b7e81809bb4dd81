#pragma once
/// Ids of the caller's string table (resources/velkorcall_strings.rc).

/// Why a queue on a file, serial or unknown port cannot be served.
constexpr unsigned kCallerUnusablePort = 1;
/// The product's name, the caption of that message.
constexpr unsigned kCallerCaption = 2;
