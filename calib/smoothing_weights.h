#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::calib {

// Weights of the live-value smoothing, in tenths: 10 shows each raw reading,
// 1 moves a tenth of the way towards it per reading.
namespace smoothing {
inline constexpr std::int32_t kMin = 1;
inline constexpr std::int32_t kMax = 10;
inline constexpr std::int32_t kDefault = 10;
inline constexpr const char* kLambdaKey = "[K_Lambda]";
inline constexpr const char* kPressureKey = "[K_Pressure]";
inline constexpr const char* kBarreKey = "[K_Barre]";
}  // namespace smoothing

struct SmoothingWeights {
  std::int32_t k_lambda = smoothing::kDefault;
  std::int32_t k_pressure = smoothing::kDefault;
  std::int32_t k_barre = smoothing::kDefault;
};

// Reads the three weights from ConfigScale.ini lines. Keys match exactly; a
// later key overrides an earlier one; a missing key or a value that is not an
// integer keeps what was there; every value read is clamped to 1..10.
[[nodiscard]] SmoothingWeights ReadSmoothingWeights(const std::vector<std::string>& lines);

}  // namespace velmora::calib
