#include "calib/map_values.h"

#include <algorithm>
#include <cmath>

#include "core/text.h"

namespace velmora::calib {

namespace mv = map_values;

namespace {

// Multiply first, divide last: for every raw 16-bit value both directions are
// then exact enough to give the same raw value back.
double ToNumber(std::int32_t raw, std::size_t i) {
  if (i < mv::kScaledEnd) {
    return raw * mv::kScaledMul / mv::kThousand;
  }
  if (i < mv::kRawEnd) {
    return raw;
  }
  return raw / mv::kThousand;
}

double ToRaw(double x, std::size_t i) {
  if (i < mv::kScaledEnd) {
    return x * mv::kThousand / mv::kScaledMul;
  }
  if (i < mv::kRawEnd) {
    return x;
  }
  return x * mv::kThousand;
}

}  // namespace

MapValues DecodeMapValues(std::span<const std::uint8_t> image) {
  MapValues out{};
  const std::size_t pairs = std::min(image.size() / 2, mv::kCount);
  for (std::size_t i = 0; i < pairs; ++i) {
    std::int32_t v = image[2 * i] | (image[2 * i + 1] << 8);
    if (v > mv::kMaxPositive) {
      v -= mv::kWrap;
    }
    out[i] = static_cast<float>(ToNumber(v, i));
  }
  return out;
}

MapImage EncodeMapValues(std::span<const float> values) {
  MapImage image{};
  const std::size_t n = std::min(values.size(), mv::kCount);
  for (std::size_t i = 0; i < n; ++i) {
    double raw = ToRaw(static_cast<double>(values[i]), i);
    if (std::isnan(raw)) {
      raw = 0.0;
    }
    raw =
        std::clamp(raw, static_cast<double>(mv::kMinValue), static_cast<double>(mv::kMaxPositive));
    std::int32_t v = static_cast<std::int32_t>(core::RoundHalfEven(raw));
    // The decoding subtracts 65535, not 65536, from the upper half; storing
    // the plain two's complement would bring every negative value back one
    // step higher, and each read-modify-write of a map would drift it.
    if (v < 0) {
      v += mv::kWrap;
    }
    image[2 * i] = static_cast<std::uint8_t>(v & 0xFF);
    image[2 * i + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
  }
  return image;
}

}  // namespace velmora::calib
