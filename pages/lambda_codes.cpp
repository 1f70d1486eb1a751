#include "pages/lambda_codes.h"

#include <algorithm>
#include <cmath>

#include "core/text.h"

namespace velmora::pages {

namespace lc = lambda_code;

MvRange ProbeRange(int record_index) {
  switch (record_index) {
    case lc::kZeroToOneVolt:
      return {0, lc::kZeroToOneMaxMv};
    case lc::kOffsetProbe:
      return {lc::kOffsetProbeMinMv, lc::kOffsetProbeMaxMv};
    default:
      return {};
  }
}

std::int32_t LevelCode(double mv) {
  if (!(mv > 0)) {
    return 0;
  }
  mv = std::min(mv, lc::kMaxMv);
  const std::int64_t code = core::RoundHalfEven((mv - lc::kStepMv) / lc::kStepMv);
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(code, 0, lc::kMaxByte));
}

double LevelMv(std::int32_t code) {
  return code <= 0 ? 0 : (code + 1) * lc::kStepMv;
}

std::int32_t VoltageCellCode(double mv, const MvRange& range) {
  // The stored steps that lie inside the range, so that rounding never
  // takes a cell past a probe's limit.
  const auto lo = static_cast<std::int64_t>(std::ceil(std::max(range.lo, 0.0) / lc::kStepMv));
  const auto hi =
      static_cast<std::int64_t>(std::floor(std::min(range.hi, lc::kMaxMv) / lc::kStepMv + 1e-9));
  mv = std::clamp(mv, -lc::kGridBoundMv, lc::kGridBoundMv);
  const std::int64_t code = core::RoundHalfEven(mv / lc::kStepMv);
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(std::clamp(code, lo, hi), 0, 255));
}

double VoltageCellMv(std::int32_t code) {
  return code * lc::kStepMv;
}

std::int32_t OffsetCellCode(std::int64_t offset) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(offset, lc::kMinOffset, lc::kMaxOffset) + lc::kOffsetBias);
}

int OffsetOfCode(std::int32_t code) {
  return code - lc::kOffsetBias;
}

std::string VoltsText(double mv) {
  // Written by hand: the C library's separator follows the system's locale.
  constexpr std::int64_t kMvPerHundredth = 10;
  constexpr std::int64_t kHundredths = 100;
  const std::int64_t h = core::RoundHalfEven(mv / kMvPerHundredth);
  const std::int64_t a = h < 0 ? -h : h;
  const std::int64_t frac = a % kHundredths;
  return std::string(h < 0 ? "-" : "") + std::to_string(a / kHundredths) + "." +
         (frac < 10 ? "0" : "") + std::to_string(frac);
}

}  // namespace velmora::pages
