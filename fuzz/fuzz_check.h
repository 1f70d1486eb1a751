#pragma once

// What every fuzz target shares: a property check that stops the run (the
// fuzzer keeps the input), and the input seen as text or lines.

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/files.h"

namespace velmora::fuzz {

inline void Check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

inline std::string_view TextOf(const std::uint8_t* data, std::size_t size) {
  return size == 0 ? std::string_view()
                   : std::string_view(reinterpret_cast<const char*>(data), size);
}

inline std::span<const std::uint8_t> BytesOf(const std::uint8_t* data, std::size_t size) {
  return size == 0 ? std::span<const std::uint8_t>() : std::span<const std::uint8_t>(data, size);
}

// Splits the input at its first NUL byte: two files of one case. Without
// one, the first part is empty.
struct TwoParts {
  std::string_view first;
  std::string_view second;
  bool split = false;
};
inline TwoParts SplitAtNul(std::string_view text) {
  const auto at = text.find('\0');
  if (at == std::string_view::npos) {
    return {{}, text, false};
  }
  return {text.substr(0, at), text.substr(at + 1), true};
}

}  // namespace velmora::fuzz
