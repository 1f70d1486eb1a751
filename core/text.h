#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::core {

// Leading and trailing blanks (spaces and tabs) removed.
[[nodiscard]] std::string_view Trim(std::string_view s);

[[nodiscard]] bool EqualsNoCase(std::string_view a, std::string_view b);
[[nodiscard]] std::string ToUpper(std::string_view s);

// Split at every separator; an empty text gives one empty item.
[[nodiscard]] std::vector<std::string> Split(std::string_view s, char sep);

// A 32-bit signed decimal integer; blanks around it allowed, nothing else:
// "7.5", "12a" and "" are not numbers.
[[nodiscard]] std::optional<std::int32_t> ParseInt32(std::string_view s);

// A number in the plain C form (sign, digits, one ".", exponent), read the
// same whatever the C library's locale says the decimal separator is (Qt
// sets it from the system); nullopt for anything else.
[[nodiscard]] std::optional<double> PlainDecimal(std::string_view s);

// A decimal number written with the locale separator or ".", blanks around
// it allowed; the whole text must parse.
[[nodiscard]] std::optional<double> ParseDecimal(std::string_view s, char decimal_sep);

// Halves to even, as every decimal-to-integer conversion of the system.
[[nodiscard]] std::int64_t RoundHalfEven(double v);

// A number as the grids and value boxes show it: a whole number without a
// point, any other to `digits` significant digits, anything not finite as 0.
[[nodiscard]] std::string FormatNumber(double value, int digits);

}  // namespace velmora::core
