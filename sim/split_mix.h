#pragma once

#include <cstdint>

namespace velmora::sim {

// splitmix64: the same numbers from a seed on every platform and standard
// library, so a seeded run of the virtual engine repeats exactly.
class SplitMix64 {
 public:
  static constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15ULL;

  explicit SplitMix64(std::uint64_t seed) : state_(seed) {}

  // The next number, uniform in [0, 1).
  [[nodiscard]] double Unit() {
    constexpr int kMantissaBits = 53;
    state_ += kGolden;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return static_cast<double>(z >> (64 - kMantissaBits)) /
           static_cast<double>(std::uint64_t{1} << kMantissaBits);
  }

 private:
  std::uint64_t state_;
};

}  // namespace velmora::sim
