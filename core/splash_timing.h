#pragma once

#include <cstdint>

namespace velmora::core {

// The splash window's life, in microseconds of the high-resolution clock.
namespace splash {
inline constexpr std::int64_t kShowMicros = 4'000'000;
inline constexpr std::int64_t kFadeMicros = 800'000;
// How often the window checks the clock; the fade looks smooth at this rate.
inline constexpr int kTickMs = 20;
}  // namespace splash

// Opaque until the fade begins, then falling evenly to transparent at the
// end. A clock that reads before the start counts as the start.
[[nodiscard]] constexpr double SplashOpacity(std::int64_t elapsed_us) {
  constexpr std::int64_t fade_start = splash::kShowMicros - splash::kFadeMicros;
  if (elapsed_us <= fade_start) {
    return 1.0;
  }
  if (elapsed_us >= splash::kShowMicros) {
    return 0.0;
  }
  return static_cast<double>(splash::kShowMicros - elapsed_us) /
         static_cast<double>(splash::kFadeMicros);
}

[[nodiscard]] constexpr bool SplashFinished(std::int64_t elapsed_us) {
  return elapsed_us >= splash::kShowMicros;
}

}  // namespace velmora::core
