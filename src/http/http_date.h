#pragma once
/// HTTP dates ("Thu, 01 Jan 1970 00:00:00 GMT") and the "current-date" text, always in UTC.
/// Calendar arithmetic is done here, so no C library time conversion (and its shared state)
/// is involved.

#include <cstdint>
#include <string>

/// "%a, %d %b %Y %H:%M:%S GMT" with English names. Empty for times outside the years
/// 0000-9999, which do not fit the 29 characters of the format.
std::string FormatHttpDate(std::int64_t secondsSinceEpoch);

/// Reads "%3s, %2d %3s %4d %2d:%2d:%2d GMT" as scanf does; month names in exact case, the
/// weekday unchecked, fields out of range carried over as a calendar would. False, leaving
/// `secondsSinceEpoch` alone, when the text does not follow the pattern.
bool ParseHttpDate(const std::string& text, std::int64_t& secondsSinceEpoch);

/// Today in UTC as "%02d/%02d/%04d": month, day, year.
std::string CurrentDate();
/// The same text for a given time.
std::string FormatCurrentDate(std::int64_t secondsSinceEpoch);
