#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "core/set_com.h"

namespace velmora::link {

// Which piece of the identity answer a first-list entry compares, counted
// back from the answer's end.
namespace identity_piece {
inline constexpr std::size_t kKind1Back = 57;
inline constexpr std::size_t kKind1Size = 29;
inline constexpr std::size_t kKind2Back = 15;
inline constexpr std::size_t kKind2Size = 14;
inline constexpr std::size_t kTailSize = 6;
inline constexpr std::size_t kTailHeadSize = 4;
}  // namespace identity_piece

// Hardware generations, each with its firmware image.
namespace generation {
inline constexpr int kOld = 0;
inline constexpr int k2nd = 1;
inline constexpr int k3rd = 2;
inline constexpr int kNex = 3;
}  // namespace generation

// The generation a match of a given comparison kind means.
[[nodiscard]] int GenerationOfKind(int kind);
// "OldHw", "2ndHw", "3rdHw", "NexHw" (the firmware image names' part).
[[nodiscard]] std::string GenerationName(int generation);

struct IdentityMatch {
  int entry = 0;  // 1-based position in the first list
  int kind = 0;
  int generation = 0;
};

// The first entry of the first firmware list that matches the identity
// answer. Kinds 1 and 2 compare their piece with the pattern; any other kind
// matches an answer whose last 6 bytes (or their first 4) are those of the
// short "no data" reference, the answer an ECU without identification gives.
// Answers too short for a piece never match it.
[[nodiscard]] std::optional<IdentityMatch> MatchIdentity(
    std::span<const std::uint8_t> identity, const std::vector<core::FirmwareEntry>& first_list,
    std::span<const std::uint8_t> short_reference);

// The identification carried by an identity answer frame: the version field
// (version, day, month, year) and the text after it.
struct Identification {
  Bytes version;     // 6 bytes
  std::string text;  // 32 characters as sent
};
inline constexpr std::size_t kIdentificationSize = 38;
inline constexpr std::size_t kVersionFieldSize = 6;

// nullopt when the answer is too short to carry an identification.
[[nodiscard]] std::optional<Identification> ParseIdentification(
    std::span<const std::uint8_t> answer);

// Message 10's payload: the profiles of the second firmware list from its
// second entry on, each introduced by "//".
[[nodiscard]] std::string ProfilesPayload(const std::vector<core::FirmwareEntry>& second_list);

}  // namespace velmora::link
