#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/bytes.h"
#include "core/set_com.h"

namespace velmora::link {

// The field type codes of a message-table layout.
enum class FieldType { kUB, kSB, kUW, kSW, kSL, kUnknown };

namespace field_code {
inline constexpr std::string_view kUB = "UB";
inline constexpr std::string_view kSB = "SB";
inline constexpr std::string_view kUW = "UW";
inline constexpr std::string_view kSW = "SW";
inline constexpr std::string_view kSL = "SL";
}  // namespace field_code

[[nodiscard]] FieldType FieldTypeOf(std::string_view code);

// A multiplier of 0 is a configuration error; it scales like 1, so that a
// decoded value is not wiped out and an encoded field still takes its bytes.
[[nodiscard]] constexpr std::int64_t EffectiveMultiplier(std::int32_t m) {
  return m == 0 ? 1 : m;
}

// a * b worked in 64 bits, limited to the 32-bit range instead of wrapping.
[[nodiscard]] std::int32_t SaturatingProduct(std::int32_t a, std::int32_t b);

enum class DecodeStatus {
  kDecoded,
  kBeyondAnswer,  // some byte of the field lies outside the answer
  kUnknownType,
};

struct DecodedField {
  DecodeStatus status = DecodeStatus::kUnknownType;
  std::int32_t value = 0;  // meaningful only when decoded
};

// One field from an answer frame (b[0] is the 0x42 start byte). Byte and word
// positions count from 1; an "SL" position is the 0-based offset of its first
// byte, and its two words come high byte first, the lower word first. The
// multiplier is applied. Nothing is read outside `answer`.
[[nodiscard]] DecodedField DecodeField(const core::FieldSpec& field,
                                       std::span<const std::uint8_t> answer);

// Appends the data bytes of one field holding `value` for a write command:
// the value divided by the multiplier, "UB" rounded (halves to even) to its
// low byte, "SB" rounded down and limited to -128..127, "UW"/"SW" rounded to
// two bytes low first, "SL" rounded to four bytes lowest first. An unknown
// type appends nothing.
void EncodeField(const core::FieldSpec& field, std::int32_t value, Bytes& out);

}  // namespace velmora::link
