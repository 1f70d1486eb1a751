#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "calib/map_values.h"

namespace velmora::calib {
namespace {

MapImage Pattern() {
  MapImage img{};
  for (std::size_t i = 0; i < img.size(); ++i) {
    img[i] = static_cast<std::uint8_t>((i * 37 + 11) & 0xFF);
  }
  return img;
}

TEST(DecodeMapValues, ScalesSignsAndShortImages) {
  MapImage img{};
  img[0] = 0x10;  // 10000
  img[1] = 0x27;
  img[2] = 0xFF;  // 65535 reads as 0
  img[3] = 0xFF;
  img[4] = 0x00;  // 32768 reads as -32767
  img[5] = 0x80;
  img[6] = 0xFF;  // 32767
  img[7] = 0x7F;
  img[360] = 0xE8;  // value 180: 1000, unscaled
  img[361] = 0x03;
  img[364] = 0xE8;  // value 182: 1000 thousandths
  img[365] = 0x03;
  img[382] = 0xFE;  // value 191: 65534 reads as -1, in thousandths
  img[383] = 0xFF;
  img[384] = 0x55;  // past the 192 values: never read
  const auto v = DecodeMapValues(img);
  EXPECT_FLOAT_EQ(v[0], 80.0F);
  EXPECT_FLOAT_EQ(v[1], 0.0F);
  EXPECT_FLOAT_EQ(v[2], -32767 * 8 / 1000.0F);
  EXPECT_FLOAT_EQ(v[3], 32767 * 8 / 1000.0F);
  EXPECT_FLOAT_EQ(v[180], 1000.0F);
  EXPECT_FLOAT_EQ(v[182], 1.0F);
  EXPECT_FLOAT_EQ(v[191], -0.001F);

  // Five bytes: two whole values, the lone fifth byte is not a value.
  const std::vector<std::uint8_t> shortimg{0x10, 0x27, 0x01, 0x00, 0x7F};
  const auto s = DecodeMapValues(shortimg);
  EXPECT_FLOAT_EQ(s[0], 80.0F);
  EXPECT_FLOAT_EQ(s[1], 0.008F);
  EXPECT_EQ(s[2], 0.0F);
  EXPECT_EQ(DecodeMapValues({}), MapValues{});
}

TEST(EncodeMapValues, InverseOfDecodeAndClearsTheTail) {
  MapValues v{};
  v[0] = 80.0F;
  const auto img = EncodeMapValues(v);
  EXPECT_EQ(img[0], 0x10);
  EXPECT_EQ(img[1], 0x27);

  // Decoding and encoding gives the same 384 bytes back, the rest 0.
  const MapImage src = Pattern();
  const MapImage back = EncodeMapValues(DecodeMapValues(src));
  for (std::size_t i = 0; i < src.size(); ++i) {
    ASSERT_EQ(back[i], i < 384 ? src[i] : 0) << "byte " << i;
  }

  // Every raw value the decoding can give comes back: both halves, all three
  // scales, 0xFFFF the only one that turns into 0x0000.
  for (std::uint32_t raw = 0; raw <= 0xFFFF; raw += 1) {
    MapImage one{};
    for (const std::size_t i : {0u, 180u, 191u}) {
      one[2 * i] = raw & 0xFF;
      one[2 * i + 1] = raw >> 8;
    }
    const auto again = EncodeMapValues(DecodeMapValues(one));
    const std::uint32_t want = raw == 0xFFFF ? 0 : raw;
    for (const std::size_t i : {0u, 180u, 191u}) {
      ASSERT_EQ(again[2 * i] | (again[2 * i + 1] << 8), want) << "raw " << raw << " value " << i;
    }
  }
}

TEST(EncodeMapValues, RoundsHalvesToEvenAndClamps) {
  MapValues v{};
  v[180] = 2.5F;
  v[181] = 3.5F;
  v[0] = 1e9F;                                     // clamps to 32767
  v[1] = -1e9F;                                    // clamps to -32767
  v[2] = std::numeric_limits<float>::quiet_NaN();  // 0
  v[3] = std::numeric_limits<float>::infinity();   // 32767
  v[4] = -0.008F;                                  // raw -1
  v[182] = 40.0F;                                  // 40000 thousandths: clamps
  const auto img = EncodeMapValues(v);
  EXPECT_EQ(img[360], 2);
  EXPECT_EQ(img[362], 4);
  EXPECT_EQ(img[0] | (img[1] << 8), 0x7FFF);
  EXPECT_EQ(img[2] | (img[3] << 8), 0x8000);
  EXPECT_EQ(img[4] | (img[5] << 8), 0);
  EXPECT_EQ(img[6] | (img[7] << 8), 0x7FFF);
  EXPECT_EQ(img[364] | (img[365] << 8), 0x7FFF);
  const auto d = DecodeMapValues(img);
  EXPECT_FLOAT_EQ(d[1], -32767 * 8 / 1000.0F);
  EXPECT_FLOAT_EQ(d[4], -0.008F);  // a negative value reads back as itself

  // Fewer numbers leave the rest 0, more are ignored.
  const std::vector<float> few{80.0F};
  const auto f = EncodeMapValues(few);
  EXPECT_EQ(f[1], 0x27);
  EXPECT_EQ(f[2], 0);
  const std::vector<float> many(300, 0.008F);
  const auto m = EncodeMapValues(many);
  EXPECT_EQ(m[0], 1);
  EXPECT_EQ(m[384], 0);
}

}  // namespace
}  // namespace velmora::calib
