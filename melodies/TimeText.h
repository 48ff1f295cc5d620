// Text of a time field: a time in milliseconds shown as minutes, seconds and a fraction, and a
// typed text read back into milliseconds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace corvina {

// Fraction digits a time field shows unless told otherwise.
constexpr int kDefaultTimeDigits = 3;

// The text for ms with 1 to 3 fraction digits ("1:05.50" for 65 500 ms and 2 digits); nullopt for a
// negative time or a digit count outside 1..3, where the field keeps its text and value.
std::optional<std::string> FormatTime(std::int32_t ms, int digits);

// The time of a typed text in ms, or -1 when it cannot be read: the ':' must stand digits + 4
// characters before the end and the '.' digits + 1 before it, seconds 0..59.
std::int32_t ParseTimeText(const std::string& text, int digits);

} // namespace corvina
