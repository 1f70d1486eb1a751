#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/bytes.h"
#include "firmware/flash_layout.h"

namespace velmora::firmware {

// The line before the identification's address in an image file, and the
// address when the file has none.
inline constexpr std::string_view kIdentificationKey = "[AdrFrmwarEcu]";
inline constexpr std::string_view kDefaultIdentificationText = "00FFE000";
inline constexpr std::uint32_t kDefaultIdentificationAddress = 0x00FFE000;
// Version (1 byte), version and date (5), text (32).
inline constexpr std::size_t kIdentificationSize = 38;
inline constexpr std::size_t kBlockSize = 128;

// One S2 record: a 24-bit address and the bytes stored from there.
struct S2Record {
  std::uint32_t address = 0;
  Bytes data;
  std::size_t line = 0;  // 1-based, in its file
};

// Why an image file cannot be used. Each of these would otherwise end in
// a write outside the flash or a truncated record on the ECU.
enum class ImageError {
  kNone,
  kUnreadable,             // the file cannot be read
  kBadRecord,              // an S2 line too short, of odd length, not hexadecimal or not
                           // as long as its byte count says
  kNoRecords,              // no S2 line at all
  kBadAddressLine,         // the line after [AdrFrmwarEcu] is not an address below 2^24
  kRecordOutside,          // a record's bytes lie outside the flash region
  kIdentificationOutside,  // the identification lies outside the flash region
  kNoHardwareWord,         // the identification's text has fewer than three words
  kLayout,                 // Flash.ini cannot be used
};

// The lines of an image file that matter: its records in file order and the
// identification's address.
struct ImageFile {
  std::vector<S2Record> records;
  std::uint32_t identification_address = kDefaultIdentificationAddress;
  ImageError error = ImageError::kNone;
  std::size_t line = 0;  // 1-based line of a kBadRecord or kBadAddressLine
};

[[nodiscard]] ImageFile ParseImageLines(const std::vector<std::string>& lines);

// The six-digit address text of every S2 record, in file order; one empty
// text when the file has none.
[[nodiscard]] std::vector<std::string> CaricaAdrFlash(const ImageFile& file);

// Where a record's bytes lie.
struct Span {
  std::uint32_t address = 0;
  std::size_t size = 0;
};

// The flash as the image fills it: every byte 0xFF, then each record's
// bytes at (address - region start).
struct FlashImage {
  FlashLayout layout;
  Bytes bytes;
  std::vector<Span> spans;  // the records, in file order
  std::uint32_t identification_address = kDefaultIdentificationAddress;

  // The 38 identification bytes.
  [[nodiscard]] Bytes Identification() const;
  // The 128 bytes of the block at `offset` from the region's start; a last
  // block cut short by the region's end is padded with 0xFF.
  [[nodiscard]] Bytes Block(std::size_t offset) const;
  [[nodiscard]] std::size_t BlockCount() const {
    return (bytes.size() + kBlockSize - 1) / kBlockSize;
  }
};

struct ImageResult {
  std::optional<FlashImage> image;
  ImageError error = ImageError::kNone;
  std::size_t line = 0;
  LayoutResult layout;  // for kLayout
};

[[nodiscard]] ImageResult BuildFlashImage(const ImageFile& file, const FlashLayout& layout);
// The image file at `path` over the sector table at `flash_ini`.
[[nodiscard]] ImageResult LoadFirmwareImage(const std::string& path, const std::string& flash_ini);

[[nodiscard]] std::string DescribeImageError(const ImageResult& result);

}  // namespace velmora::firmware
