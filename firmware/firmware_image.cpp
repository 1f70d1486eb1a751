#include "firmware/firmware_image.h"

#include <algorithm>
#include <cstdio>

#include "core/files.h"
#include "core/hex.h"
#include "core/text.h"
#include "firmware/firmware_identity.h"

namespace velmora::firmware {

namespace {

// "S2", two digits of byte count, six of address, two of checksum.
constexpr std::string_view kS2 = "S2";
constexpr std::size_t kCountAt = 2;
constexpr std::size_t kAddressAt = 4;
constexpr std::size_t kDataAt = 10;
constexpr std::size_t kChecksumDigits = 2;
constexpr std::size_t kShortestRecord = kDataAt + kChecksumDigits;
constexpr std::size_t kAddressBytes = 3;

// The record of an S2 line; nullopt for a line that cannot be one.
std::optional<S2Record> ParseS2(std::string_view line) {
  if (line.size() < kShortestRecord || line.size() % 2 != 0) {
    return std::nullopt;
  }
  const auto count = core::HexToLong(line.substr(kCountAt, 2));
  const auto address = core::HexToLong(line.substr(kAddressAt, kDataAt - kAddressAt));
  const auto data = core::HexToBin(line.substr(kDataAt, line.size() - kDataAt - kChecksumDigits));
  const auto checksum = core::HexToLong(line.substr(line.size() - kChecksumDigits));
  // The count covers the address, the data and the checksum: a line cut
  // short (or run together with the next) does not match it.
  if (!count || !address || !data || !checksum || *count != kAddressBytes + data->size() + 1) {
    return std::nullopt;
  }
  return S2Record{static_cast<std::uint32_t>(*address), std::move(*data), 0};
}

std::optional<std::uint32_t> ParseAddress(std::string_view text) {
  const auto value = core::HexToLong(core::Trim(text));
  if (core::Trim(text).empty() || !value || *value >= kAddressLimit) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(*value);
}

ImageResult Refused(ImageError error, std::size_t line = 0) {
  ImageResult r;
  r.error = error;
  r.line = line;
  return r;
}

}  // namespace

ImageFile ParseImageLines(const std::vector<std::string>& lines) {
  ImageFile file;
  for (std::size_t i = 0; i < lines.size() && file.error == ImageError::kNone; ++i) {
    const std::string_view line = core::Trim(lines[i]);
    if (core::EqualsNoCase(line, kIdentificationKey)) {
      const auto address = i + 1 < lines.size() ? ParseAddress(lines[i + 1]) : std::nullopt;
      if (!address) {
        file.error = ImageError::kBadAddressLine;
        file.line = i + 2;
      } else {
        file.identification_address = *address;
        ++i;
      }
    } else if (line.starts_with(kS2)) {
      auto record = ParseS2(line);
      if (!record) {
        file.error = ImageError::kBadRecord;
        file.line = i + 1;
      } else {
        record->line = i + 1;
        file.records.push_back(std::move(*record));
      }
    }
  }
  if (file.error == ImageError::kNone && file.records.empty()) {
    file.error = ImageError::kNoRecords;
  }
  return file;
}

std::vector<std::string> CaricaAdrFlash(const ImageFile& file) {
  std::vector<std::string> out;
  for (const S2Record& r : file.records) {
    char text[8];
    std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(r.address));
    out.emplace_back(text);
  }
  if (out.empty()) {
    out.emplace_back();
  }
  return out;
}

Bytes FlashImage::Identification() const {
  const std::size_t at = identification_address - layout.Start();
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at),
               bytes.begin() + static_cast<std::ptrdiff_t>(at + kIdentificationSize));
}

Bytes FlashImage::Block(std::size_t offset) const {
  Bytes block(kBlockSize, 0xFF);
  if (offset < bytes.size()) {
    const std::size_t n = std::min(kBlockSize, bytes.size() - offset);
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), n, block.begin());
  }
  return block;
}

ImageResult BuildFlashImage(const ImageFile& file, const FlashLayout& layout) {
  if (file.error != ImageError::kNone) {
    return Refused(file.error, file.line);
  }
  FlashImage image;
  image.layout = layout;
  image.identification_address = file.identification_address;
  image.bytes.assign(layout.Size(), 0xFF);
  for (const S2Record& r : file.records) {
    if (!layout.Holds(r.address, r.data.size())) {
      return Refused(ImageError::kRecordOutside, r.line);
    }
    std::copy(r.data.begin(), r.data.end(),
              image.bytes.begin() + static_cast<std::ptrdiff_t>(r.address - layout.Start()));
    image.spans.push_back({r.address, r.data.size()});
  }
  if (!layout.Holds(image.identification_address, kIdentificationSize)) {
    return Refused(ImageError::kIdentificationOutside);
  }
  const auto identity = FirmwareIdentity::From(image.Identification());
  if (!identity || !identity->HardwareWord()) {
    return Refused(ImageError::kNoHardwareWord);
  }
  ImageResult r;
  r.image = std::move(image);
  return r;
}

ImageResult LoadFirmwareImage(const std::string& path, const std::string& flash_ini) {
  const LayoutResult layout = ReadFlashLayout(flash_ini);
  if (!layout.layout) {
    ImageResult r = Refused(ImageError::kLayout);
    r.layout = layout;
    return r;
  }
  std::vector<std::string> lines;
  if (!core::LeggiRighe(path, lines)) {
    return Refused(ImageError::kUnreadable);
  }
  return BuildFlashImage(ParseImageLines(lines), *layout.layout);
}

std::string DescribeImageError(const ImageResult& result) {
  const std::string at = " (line " + std::to_string(result.line) + ")";
  switch (result.error) {
    case ImageError::kNone:
      return {};
    case ImageError::kUnreadable:
      return "the image file cannot be read";
    case ImageError::kBadRecord:
      return "an S2 record is damaged" + at;
    case ImageError::kNoRecords:
      return "the image holds no S2 record";
    case ImageError::kBadAddressLine:
      return "the identification address is not a 24-bit hexadecimal address" + at;
    case ImageError::kRecordOutside:
      return "an S2 record lies outside the flash" + at;
    case ImageError::kIdentificationOutside:
      return "the identification lies outside the flash";
    case ImageError::kNoHardwareWord:
      return "the identification names no hardware";
    case ImageError::kLayout:
      return DescribeLayoutError(result.layout);
  }
  return {};
}

}  // namespace velmora::firmware
