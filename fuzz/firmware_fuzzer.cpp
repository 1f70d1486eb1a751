// Arbitrary text as a firmware image (".frh") over a sector table
// (Flash.ini). An input with a NUL byte is the table before it and the image
// after it; without one, the image goes over the shipped table's last
// sectors. Properties:
// - a table that reads is ascending and stays below the 24-bit limit;
// - an image that builds fills exactly the flash region, every record lies
//   in it, and its identification and blocks have their fixed sizes.
#include <cstdint>
#include <string>

#include "firmware/firmware_identity.h"
#include "firmware/firmware_image.h"
#include "firmware/flash_layout.h"
#include "fuzz/fuzz_check.h"

namespace {

using velmora::fuzz::Check;
namespace fw = velmora::firmware;

constexpr std::string_view kDefaultLayout =
    "H00FF0000 - H00FF3FFF\r\nH00FF4000 - H00FF7FFF\r\nH00FF8000 - H00FFBFFF\r\n"
    "H00FFC000 - H00FFFFFF\r\n";

void CheckLayout(const fw::FlashLayout& layout) {
  Check(!layout.sectors.empty());
  for (std::size_t i = 0; i < layout.sectors.size(); ++i) {
    Check(layout.sectors[i].first <= layout.sectors[i].last);
    Check(layout.sectors[i].last < fw::kAddressLimit);
    Check(i == 0 || layout.sectors[i - 1].last < layout.sectors[i].first);
  }
}

void CheckImage(const fw::FlashImage& image) {
  Check(image.bytes.size() == image.layout.Size());
  for (const fw::Span& s : image.spans) {
    Check(image.layout.Holds(s.address, s.size));
  }
  const velmora::Bytes id = image.Identification();
  Check(id.size() == fw::kIdentificationSize);
  (void)fw::FirmwareIdentity::From(id);
  const std::size_t blocks = image.BlockCount();
  Check(blocks > 0);
  Check(image.Block(0).size() == fw::kBlockSize);
  Check(image.Block((blocks - 1) * fw::kBlockSize).size() == fw::kBlockSize);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto parts = velmora::fuzz::SplitAtNul(velmora::fuzz::TextOf(data, size));
  const auto table =
      fw::ParseFlashLayout(velmora::core::SplitCrLf(parts.split ? parts.first : kDefaultLayout));
  Check(table.layout.has_value() == (table.error == fw::LayoutError::kNone));
  (void)fw::DescribeLayoutError(table);
  if (!table.layout) {
    return 0;
  }
  CheckLayout(*table.layout);

  const fw::ImageFile file = fw::ParseImageLines(velmora::core::SplitCrLf(parts.second));
  const auto addresses = fw::CaricaAdrFlash(file);
  Check(!addresses.empty());
  for (const std::string& a : addresses) {
    Check(a.empty() || a.size() == 6);
  }
  const fw::ImageResult result = fw::BuildFlashImage(file, *table.layout);
  (void)fw::DescribeImageError(result);
  Check(result.image.has_value() == (result.error == fw::ImageError::kNone));
  if (result.image) {
    CheckImage(*result.image);
  }
  return 0;
}
