#include "firmware/flash_layout.h"

#include "core/files.h"
#include "core/hex.h"
#include "core/text.h"

namespace velmora::firmware {

namespace {

// "H" followed by eight hexadecimal digits.
constexpr std::size_t kAddressField = 9;

std::optional<std::uint64_t> AddressField(std::string_view field) {
  if (field.size() != kAddressField || (field[0] != 'H' && field[0] != 'h')) {
    return std::nullopt;
  }
  return core::HexToLong(field.substr(1));
}

LayoutResult Failed(LayoutError error, std::size_t line = 0) {
  LayoutResult r;
  r.error = error;
  r.line = line;
  return r;
}

}  // namespace

LayoutResult ParseFlashLayout(const std::vector<std::string>& lines) {
  FlashLayout layout;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = core::Trim(lines[i]);
    if (line.empty()) {
      continue;
    }
    if (line.size() < 2 * kAddressField) {
      return Failed(LayoutError::kBadLine, i + 1);
    }
    const auto first = AddressField(line.substr(0, kAddressField));
    const auto last = AddressField(line.substr(line.size() - kAddressField));
    if (!first || !last) {
      return Failed(LayoutError::kBadLine, i + 1);
    }
    if (*last >= kAddressLimit) {
      return Failed(LayoutError::kTooHigh, i + 1);
    }
    if (*last < *first || (!layout.sectors.empty() && *first <= layout.sectors.back().last)) {
      return Failed(LayoutError::kNotAscending, i + 1);
    }
    layout.sectors.push_back(
        {static_cast<std::uint32_t>(*first), static_cast<std::uint32_t>(*last)});
  }
  if (layout.sectors.empty()) {
    return Failed(LayoutError::kEmpty);
  }
  LayoutResult r;
  r.layout = std::move(layout);
  return r;
}

LayoutResult ReadFlashLayout(const std::string& path) {
  std::vector<std::string> lines;
  if (!core::LeggiRighe(path, lines)) {
    return Failed(LayoutError::kMissing);
  }
  return ParseFlashLayout(lines);
}

std::string DescribeLayoutError(const LayoutResult& result) {
  const std::string at = " (line " + std::to_string(result.line) + ")";
  switch (result.error) {
    case LayoutError::kNone:
      return {};
    case LayoutError::kMissing:
      return "Flash.ini cannot be read";
    case LayoutError::kEmpty:
      return "Flash.ini lists no sector";
    case LayoutError::kBadLine:
      return "Flash.ini: a sector line is not \"Hxxxxxxxx ... Hxxxxxxxx\"" + at;
    case LayoutError::kNotAscending:
      return "Flash.ini: the sectors are not in ascending order" + at;
    case LayoutError::kTooHigh:
      return "Flash.ini: a sector lies beyond the 24-bit address range" + at;
  }
  return {};
}

}  // namespace velmora::firmware
