#include "calib/calibration_sections.h"

#include "link/bank_transfer.h"

namespace velmora::calib {

namespace {

// The two halves of each axis vector: address of the half, its size.
constexpr std::array<std::uint8_t, 2> kRpmHalfAddress{0x00,
                                                      static_cast<std::uint8_t>(sizes::kRpmHalf)};
constexpr std::array<std::uint8_t, 2> kTimeHalfAddress{0x00,
                                                       static_cast<std::uint8_t>(sizes::kTimeHalf)};

static_assert([] {
  for (std::size_t i = 0; i < kSections.size(); ++i) {
    if (Index(kSections[i].id) != i) {
      return false;
    }
  }
  return true;
}());

}  // namespace

std::optional<Section> SectionOfKey(std::string_view key) {
  for (const SectionInfo& s : kSections) {
    if (s.key == key) {
      return s.id;
    }
  }
  return std::nullopt;
}

bool IsMapSection(Section s) {
  const Holder h = InfoOf(s).holder;
  return h == Holder::kBaseMap || h == Holder::kAdaptiveMap || h == Holder::kSecondMap;
}

std::optional<std::size_t> FixedDataSize(Section s) {
  const SectionInfo& info = InfoOf(s);
  switch (info.holder) {
    case Holder::kBaseMap:
    case Holder::kAdaptiveMap:
    case Holder::kSecondMap:
      return link::kBankChunks[static_cast<std::size_t>(info.part)].count;
    case Holder::kCompanion:
      return sizes::kCompanion;
    case Holder::kRpmAxis:
      return sizes::kRpmHalf;
    case Holder::kTimeAxis:
      return sizes::kTimeHalf;
    case Holder::kTuningTable:
      return sizes::kTuningTableData;
    case Holder::kIdentification:
    case Holder::kEntry:
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<std::array<std::uint8_t, 3>> PagedAddress(Section s) {
  const SectionInfo& info = InfoOf(s);
  const auto part = static_cast<std::size_t>(info.part);
  switch (info.holder) {
    case Holder::kBaseMap:
    case Holder::kAdaptiveMap:
    case Holder::kSecondMap:
      return link::ChunkAddress(link::kBankChunks[part]);
    case Holder::kRpmAxis:
      return std::array<std::uint8_t, 3>{kRpmHalfAddress[part], 0x00,
                                         static_cast<std::uint8_t>(sizes::kRpmHalf)};
    case Holder::kTimeAxis:
      return std::array<std::uint8_t, 3>{kTimeHalfAddress[part], 0x00,
                                         static_cast<std::uint8_t>(sizes::kTimeHalf)};
    default:
      return std::nullopt;
  }
}

}  // namespace velmora::calib
