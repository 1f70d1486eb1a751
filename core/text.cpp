#include "core/text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace velmora::core {

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) {
    s.remove_prefix(1);
  }
  while (!s.empty() && blank(s.back())) {
    s.remove_suffix(1);
  }
  return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::string ToUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return out;
}

std::vector<std::string> Split(std::string_view s, char sep) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t pos = s.find(sep, start);
    if (pos == std::string_view::npos) {
      out.emplace_back(s.substr(start));
      return out;
    }
    out.emplace_back(s.substr(start, pos - start));
    start = pos + 1;
  }
}

std::optional<std::int32_t> ParseInt32(std::string_view s) {
  s = Trim(s);
  if (!s.empty() && s.front() == '+') {
    s.remove_prefix(1);
  }
  if (s.empty()) {
    return std::nullopt;
  }
  std::int32_t v = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || ptr != s.data() + s.size()) {
    return std::nullopt;
  }
  return v;
}

std::optional<double> ParseDecimal(std::string_view s, char decimal_sep) {
  s = Trim(s);
  if (s.empty()) {
    return std::nullopt;
  }
  std::string norm;
  norm.reserve(s.size());
  bool seen_sep = false;
  bool seen_digit = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == decimal_sep || c == '.') {
      if (seen_sep) {
        return std::nullopt;
      }
      seen_sep = true;
      norm.push_back('.');
    } else if (c >= '0' && c <= '9') {
      seen_digit = true;
      norm.push_back(c);
    } else if ((c == '-' || c == '+') && i == 0) {
      norm.push_back(c);
    } else {
      return std::nullopt;
    }
  }
  if (!seen_digit) {
    return std::nullopt;
  }
  return PlainDecimal(norm);
}

std::optional<double> PlainDecimal(std::string_view s) {
  if (!s.empty() && s.front() == '+') {
    s.remove_prefix(1);
  }
  double v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) {
    return std::nullopt;
  }
  return v;
}

std::int64_t RoundHalfEven(double v) {
  if (!std::isfinite(v)) {
    return 0;
  }
  constexpr double kLimit = 9.2e18;
  if (v > kLimit) {
    return static_cast<std::int64_t>(kLimit);
  }
  if (v < -kLimit) {
    return -static_cast<std::int64_t>(kLimit);
  }
  return static_cast<std::int64_t>(std::nearbyint(v));  // default mode: to even
}

std::string FormatNumber(double value, int digits) {
  if (!std::isfinite(value)) {
    return "0";
  }
  if (value == std::trunc(value) && std::fabs(value) < 1e15) {
    return std::to_string(static_cast<long long>(value));
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.*g", digits, value);
  return buf;
}

}  // namespace velmora::core
