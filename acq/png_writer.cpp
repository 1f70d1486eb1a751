#include "acq/png_writer.h"

#include <zlib.h>

#include <array>

namespace velmora::acq {

namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t kBitDepth = 8;
constexpr std::uint8_t kColourTypeRgb = 2;
constexpr std::uint8_t kFilterNone = 0;
constexpr int kCompression = 6;

void PutU32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out.push_back(static_cast<std::uint8_t>(v >> shift));
  }
}

// A chunk: length, type, data, and the CRC of type and data.
void PutChunk(Bytes& out, const char (&type)[5], const Bytes& data) {
  PutU32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t type_at = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0L, out.data() + type_at, static_cast<uInt>(4 + data.size()));
  PutU32(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

Bytes EncodePng(const RasterImage& image) {
  const auto w = static_cast<std::size_t>(image.Width());
  const auto h = static_cast<std::size_t>(image.Height());
  Bytes raw;
  raw.reserve(h * (1 + w * 3));
  const auto& px = image.Pixels();
  for (std::size_t y = 0; y < h; ++y) {
    raw.push_back(kFilterNone);
    const auto row = px.begin() + static_cast<std::ptrdiff_t>(y * w * 3);
    raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(w * 3));
  }
  uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
  Bytes packed(packed_size);
  if (compress2(packed.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size()),
                kCompression) != Z_OK) {
    return {};
  }
  packed.resize(packed_size);

  Bytes header;
  PutU32(header, static_cast<std::uint32_t>(w));
  PutU32(header, static_cast<std::uint32_t>(h));
  header.insert(header.end(), {kBitDepth, kColourTypeRgb, 0, 0, 0});
  Bytes png(kSignature.begin(), kSignature.end());
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", packed);
  PutChunk(png, "IEND", {});
  return png;
}

}  // namespace velmora::acq
