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
inline constexpr std::size_t kKind3Back = 7;  // the signature's tail, before the check byte
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

// The first entry of the first firmware list whose pattern equals its piece
// of the identity answer: kind 1 the identification text, kind 2 the
// hardware signature, kind 3 the signature's last 6 bytes, any other kind the
// answer's last 6 bytes (a blank ECU's short answer). For kinds 3 and other
// a 4-byte pattern compares the first 4 bytes of the piece. Answers too short
// for a piece never match it.
[[nodiscard]] std::optional<IdentityMatch> MatchIdentity(
    std::span<const std::uint8_t> identity, const std::vector<core::FirmwareEntry>& first_list);

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
