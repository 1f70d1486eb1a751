#include "link/ecu_identity.h"

#include <algorithm>

#include "link/ecu_frame.h"

namespace velmora::link {

namespace {

// The piece of `identity` that starts `back` bytes before its end.
std::optional<std::span<const std::uint8_t>> Piece(std::span<const std::uint8_t> identity,
                                                   std::size_t back, std::size_t size) {
  if (identity.size() < back || back < size) {
    return std::nullopt;
  }
  return identity.subspan(identity.size() - back, size);
}

bool Equal(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

}  // namespace

int GenerationOfKind(int kind) {
  switch (kind) {
    case 1:
      return generation::kNex;
    case 2:
      return generation::k3rd;
    case 3:
      return generation::k2nd;
    default:
      return generation::kOld;
  }
}

std::string GenerationName(int gen) {
  switch (gen) {
    case generation::kNex:
      return "NexHw";
    case generation::k3rd:
      return "3rdHw";
    case generation::k2nd:
      return "2ndHw";
    default:
      return "OldHw";
  }
}

std::optional<IdentityMatch> MatchIdentity(std::span<const std::uint8_t> identity,
                                           const std::vector<core::FirmwareEntry>& first_list) {
  using namespace identity_piece;
  for (std::size_t i = 0; i < first_list.size(); ++i) {
    const core::FirmwareEntry& e = first_list[i];
    std::optional<std::span<const std::uint8_t>> piece;
    bool short_pattern_allowed = false;
    if (e.kind == 1) {
      piece = Piece(identity, kKind1Back, kKind1Size);
    } else if (e.kind == 2) {
      piece = Piece(identity, kKind2Back, kKind2Size);
    } else {
      piece = Piece(identity, e.kind == 3 ? kKind3Back : kTailSize, kTailSize);
      short_pattern_allowed = true;
    }
    if (piece && short_pattern_allowed && e.pattern.size() == kTailHeadSize) {
      piece = piece->first(kTailHeadSize);
    }
    if (piece && Equal(*piece, e.pattern)) {
      return IdentityMatch{static_cast<int>(i + 1), e.kind, GenerationOfKind(e.kind)};
    }
  }
  return std::nullopt;
}

std::optional<Identification> ParseIdentification(std::span<const std::uint8_t> answer) {
  if (answer.size() < kAnswerDataOffset + kIdentificationSize) {
    return std::nullopt;
  }
  const auto id = answer.subspan(kAnswerDataOffset, kIdentificationSize);
  Identification out;
  out.version.assign(id.begin(), id.begin() + kVersionFieldSize);
  out.text.assign(id.begin() + kVersionFieldSize, id.end());
  return out;
}

std::string ProfilesPayload(const std::vector<core::FirmwareEntry>& second_list) {
  std::string out;
  for (std::size_t i = 1; i < second_list.size(); ++i) {
    // A profile written with its "//" already is not introduced twice.
    const std::string& profile = second_list[i].text1;
    if (profile.rfind("//", 0) != 0) {
      out += "//";
    }
    out += profile;
  }
  return out;
}

}  // namespace velmora::link
