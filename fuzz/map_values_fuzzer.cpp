// Arbitrary map images and numbers through the map value conversion. The
// first input byte picks how much of the rest is the image (a short image is
// allowed); the remaining bytes are also read as single-precision numbers for
// the reverse conversion. Properties:
// - decoding then encoding gives the first 384 bytes back (0xFFFF as 0x0000)
//   and zeros after them;
// - encoding never leaves a byte after the 384th set, and decoding its result
//   gives every finite number back within half a step of its scale, clamped
//   to the range the decoding can reach.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "calib/map_values.h"

namespace {

namespace mv = velmora::calib::map_values;

double Step(std::size_t i) {
  if (i < mv::kScaledEnd) {
    return mv::kScaledMul / mv::kThousand;
  }
  return i < mv::kRawEnd ? 1.0 : 1.0 / mv::kThousand;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora::calib;
  if (size == 0) {
    (void)DecodeMapValues({});
    (void)EncodeMapValues({});
    return 0;
  }
  const std::size_t body = size - 1;
  // A first byte of 0xC0 or more takes the whole body as the image, a lower
  // one at most four times its value, so short images come up often.
  const std::size_t len =
      data[0] >= 0xC0 ? body : std::min(body, static_cast<std::size_t>(data[0]) * 4);
  const std::span<const std::uint8_t> image(data + 1, len);

  const MapValues values = DecodeMapValues(image);
  const MapImage back = EncodeMapValues(values);
  for (std::size_t i = 0; i < back.size(); ++i) {
    std::uint8_t want = 0;
    if (i < mv::kUsedBytes && i < (len & ~std::size_t{1})) {
      const std::size_t pair = i & ~std::size_t{1};
      const bool all_ones = image[pair] == 0xFF && image[pair + 1] == 0xFF;
      want = all_ones ? 0 : image[i];
    }
    if (back[i] != want) {
      std::abort();
    }
  }

  std::vector<float> numbers(body / sizeof(float));
  if (!numbers.empty()) {
    std::memcpy(numbers.data(), data + 1, numbers.size() * sizeof(float));
  }
  const MapImage enc = EncodeMapValues(numbers);
  for (std::size_t i = mv::kUsedBytes; i < enc.size(); ++i) {
    if (enc[i] != 0) {
      std::abort();
    }
  }
  const MapValues dec = DecodeMapValues(enc);
  for (std::size_t i = 0; i < mv::kCount; ++i) {
    const double x = i < numbers.size() ? numbers[i] : 0.0;
    if (std::isnan(x)) {
      if (dec[i] != 0.0F) {
        std::abort();
      }
      continue;
    }
    const double lo = mv::kMinValue * Step(i);
    const double hi = mv::kMaxPositive * Step(i);
    const double want = std::fmin(std::fmax(x, lo), hi);
    if (std::fabs(dec[i] - want) > Step(i) * 0.5 + std::fabs(want) * 1e-6) {
      std::abort();
    }
  }
  return 0;
}
