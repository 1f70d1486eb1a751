#include "pages/level_curve.h"

#include <algorithm>

#include "core/text.h"
#include "pages/lambda_codes.h"

namespace velmora::pages {

namespace lv = level_curve;

namespace {

std::int32_t ToStep(double v) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(core::RoundHalfEven(v), 0, lv::kMaxStep));
}

}  // namespace

LevelCurve RescaleCurve(const LevelCurve& curve, CurveEnd end, std::int32_t target) {
  constexpr std::size_t kLast = lv::kPoints - 1;
  const std::size_t moving = end == CurveEnd::kFull ? kLast : 0;
  const std::size_t fixed = kLast - moving;
  const double anchor = curve[fixed];
  const double old_span = curve[moving] - anchor;
  const double new_span = std::clamp(target, 0, lv::kMaxStep) - anchor;
  LevelCurve out{};
  for (std::size_t i = 0; i < lv::kPoints; ++i) {
    double share = 0;
    if (old_span != 0) {
      share = (curve[i] - anchor) / old_span;
    } else {
      // Evenly from the fixed end towards the moving one.
      const std::size_t from_fixed = fixed == 0 ? i : kLast - i;
      share = static_cast<double>(from_fixed) / kLast;
    }
    out[i] = ToStep(anchor + share * new_span);
  }
  return out;
}

std::int32_t StepOfMv(double mv) {
  return ToStep(mv / lv::kStepMv);
}

std::string PointText(std::int32_t step) {
  return VoltsText(step * lv::kStepMv) + " (v)";
}

}  // namespace velmora::pages
