// What the exports hand on: values in their units, CSV fields, and a PNG
// picture a reader can decode, drawn without a window system.

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "acq/logger_export.h"
#include "acq/png_writer.h"
#include "acq/raster_image.h"
#include "acq/record_samples.h"
#include "acq/recording_picture.h"

namespace velmora::acq {
namespace {

std::uint32_t U32(const Bytes& b, std::size_t at) {
  return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 |
         std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}

TEST(Picture, PngHoldsThePixelsRowByRow) {
  RasterImage img(3, 2, {255, 255, 255});
  img.Line(0, 0, 2, 1, {10, 20, 30});
  img.Set(5, 5, {1, 2, 3});  // outside: left out
  const Bytes png = EncodePng(img);
  ASSERT_GT(png.size(), 57u);
  EXPECT_EQ(Bytes(png.begin(), png.begin() + 8),
            (Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
  EXPECT_EQ(U32(png, 16), 3u);  // IHDR width, height
  EXPECT_EQ(U32(png, 20), 2u);
  const std::size_t idat = 8 + 25;
  ASSERT_EQ(std::string(png.begin() + idat + 4, png.begin() + idat + 8), "IDAT");
  const std::uint32_t packed = U32(png, idat);
  Bytes raw(2 * (1 + 3 * 3));
  uLongf raw_size = raw.size();
  ASSERT_EQ(uncompress(raw.data(), &raw_size, png.data() + idat + 8, packed), Z_OK);
  // Each row unfiltered; the line steps down after its first pixel.
  EXPECT_EQ(raw, (Bytes{0, 10,  20,  30,  255, 255, 255, 255, 255, 255,  //
                        0, 255, 255, 255, 10,  20,  30,  10,  20,  30}));
  EXPECT_EQ(U32(png, png.size() - 4), 0xAE426082u);  // IEND's CRC
}

TEST(Picture, TextAndRecordingPicture) {
  RasterImage img(20, 10, {0, 0, 0});
  EXPECT_EQ(img.Text(0, 0, "a", {9, 9, 9}), RasterImage::TextWidth("A"));
  // "A": the top row lights columns 1 to 3.
  EXPECT_EQ(img.At(0, 0).r, 0);
  EXPECT_EQ(img.At(1, 0).r, 9);
  EXPECT_EQ(img.At(3, 0).r, 9);
  EXPECT_EQ(img.At(4, 0).r, 0);

  SampleTable s;
  for (std::int32_t t = 0; t < 200; ++t) {
    AppendSample(s, RecordKind::kLive, SampleRow{t * 50, t % 20, 100 - t % 7});
  }
  Channels ch = DefaultChannels();
  for (std::size_t c = 2; c < ch.size(); ++c) {
    ch[c].visible = false;
  }
  ch[0].colour = 0x0000FF;  // red
  const RasterImage pic = RecordingPicture(s, ch, 800);
  EXPECT_EQ(pic.Width(), 800);
  std::size_t red = 0;
  for (int y = 0; y < pic.Height(); ++y) {
    for (int x = 360; x < pic.Width(); ++x) {
      const Rgb p = pic.At(x, y);
      red += p.r == 255 && p.g == 0 && p.b == 0 ? 1 : 0;
    }
  }
  EXPECT_GT(red, 100u) << "channel 0's trace";
}

TEST(Picture, ValuesInTheirUnitsAndCsvFields) {
  EXPECT_EQ(ScaledText(3012, 0.001F), "3.012");
  EXPECT_EQ(ScaledText(1000, 0.001F), "1");
  EXPECT_EQ(ScaledText(-5, 1.0F), "-5");
  EXPECT_EQ(ScaledText(-1, 0.0001F), "0");
  SampleTable s;
  AppendSample(s, RecordKind::kLive, SampleRow{40, 1500});
  Channels ch = DefaultChannels();
  ch[0].name = "Pressure, \"gas\"";
  ch[0].text = "bar";
  ch[0].scale = 0.001F;
  const std::string csv = ExportCsv(s, ch);
  EXPECT_TRUE(csv.starts_with("Time (ms),\"Pressure, \"\"gas\"\" (bar)\",")) << csv;
  EXPECT_NE(csv.find("\n40,1.5,0,0,0,0,0,0,0\n"), std::string::npos) << csv;
}

}  // namespace
}  // namespace velmora::acq
