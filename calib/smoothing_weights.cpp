#include "calib/smoothing_weights.h"

#include <algorithm>
#include <string_view>

#include "core/key_file.h"
#include "core/text.h"

namespace velmora::calib {

namespace {

std::int32_t* Slot(SmoothingWeights& w, std::string_view key) {
  if (key == smoothing::kLambdaKey) {
    return &w.k_lambda;
  }
  if (key == smoothing::kPressureKey) {
    return &w.k_pressure;
  }
  if (key == smoothing::kBarreKey) {
    return &w.k_barre;
  }
  return nullptr;
}

}  // namespace

SmoothingWeights ReadSmoothingWeights(const std::vector<std::string>& lines) {
  SmoothingWeights w;
  core::KeyFileCursor cur(lines);
  while (!cur.Done()) {
    std::int32_t* slot = Slot(w, cur.Line());
    if (slot == nullptr) {
      cur.Next();
      continue;
    }
    const auto values = cur.TakeKey(1);
    if (values.empty()) {
      continue;
    }
    if (const auto v = core::ParseInt32(values.front())) {
      *slot = std::clamp(*v, smoothing::kMin, smoothing::kMax);
    }
  }
  return w;
}

}  // namespace velmora::calib
