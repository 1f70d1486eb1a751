#include "link/message_table_codec.h"

#include <algorithm>
#include <limits>

namespace velmora::link {

namespace {

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kSByteMin = -128;
constexpr std::int64_t kSByteMax = 127;
constexpr std::int64_t kByteSpan = 256;
constexpr std::int64_t kWordSpan = 65536;
constexpr std::int64_t kSWordMax = 32767;
constexpr std::int64_t kHighWordShift = 16;

// n / d rounded down; d > 0.
std::int64_t FloorDiv(std::int64_t n, std::int64_t d) {
  std::int64_t q = n / d;
  if ((n % d) != 0 && n < 0) {
    --q;
  }
  return q;
}

// n / d rounded to the nearest integer, halves to even; d > 0.
std::int64_t DivHalfEven(std::int64_t n, std::int64_t d) {
  const std::int64_t q = FloorDiv(n, d);
  const std::int64_t r = n - q * d;  // 0 <= r < d
  if (2 * r > d || (2 * r == d && (q & 1) != 0)) {
    return q + 1;
  }
  return q;
}

std::int64_t Clamp32(std::int64_t v) {
  return std::clamp(v, kInt32Min, kInt32Max);
}

void PutLittleEndian(std::int64_t v, int bytes, Bytes& out) {
  const auto u = static_cast<std::uint64_t>(v);
  for (int i = 0; i < bytes; ++i) {
    out.push_back(static_cast<std::uint8_t>((u >> (8 * i)) & 0xFF));
  }
}

}  // namespace

FieldType FieldTypeOf(std::string_view code) {
  if (code == field_code::kUB) {
    return FieldType::kUB;
  }
  if (code == field_code::kSB) {
    return FieldType::kSB;
  }
  if (code == field_code::kUW) {
    return FieldType::kUW;
  }
  if (code == field_code::kSW) {
    return FieldType::kSW;
  }
  if (code == field_code::kSL) {
    return FieldType::kSL;
  }
  return FieldType::kUnknown;
}

std::int32_t SaturatingProduct(std::int32_t a, std::int32_t b) {
  // Two 32-bit factors always fit 64 bits.
  return static_cast<std::int32_t>(Clamp32(static_cast<std::int64_t>(a) * b));
}

DecodedField DecodeField(const core::FieldSpec& field, std::span<const std::uint8_t> answer) {
  const FieldType type = FieldTypeOf(field.type);
  if (type == FieldType::kUnknown) {
    return {DecodeStatus::kUnknownType, 0};
  }
  // First byte offset and width of the field; positions may be anything a
  // file holds, so the bounds are checked in 64 bits.
  const std::int64_t first = type == FieldType::kSL ? field.position : field.position - 1;
  const std::int64_t width = type == FieldType::kUB || type == FieldType::kSB   ? 1
                             : type == FieldType::kUW || type == FieldType::kSW ? 2
                                                                                : 4;
  if (first < 0 || first + width > static_cast<std::int64_t>(answer.size())) {
    return {DecodeStatus::kBeyondAnswer, 0};
  }
  const auto b = [&](std::int64_t k) -> std::int64_t {
    return answer[static_cast<std::size_t>(first + k)];
  };
  std::int64_t raw = 0;
  switch (type) {
    case FieldType::kUB:
      raw = b(0);
      break;
    case FieldType::kSB:
      raw = b(0) > kSByteMax ? b(0) - kByteSpan : b(0);
      break;
    case FieldType::kUW:
      raw = b(0) + kByteSpan * b(1);
      break;
    case FieldType::kSW:
      raw = b(0) + kByteSpan * b(1);
      if (raw > kSWordMax) {
        raw -= kWordSpan;
      }
      break;
    case FieldType::kSL: {
      // Two words, each high byte first; the lower word comes first.
      const std::int64_t low = b(1) + kByteSpan * b(0);
      const std::int64_t high = b(3) + kByteSpan * b(2);
      raw = static_cast<std::int32_t>(static_cast<std::uint32_t>((high << kHighWordShift) | low));
      break;
    }
    case FieldType::kUnknown:
      break;
  }
  return {DecodeStatus::kDecoded, SaturatingProduct(static_cast<std::int32_t>(raw),
                                                    field.multiplier == 0 ? 1 : field.multiplier)};
}

void EncodeField(const core::FieldSpec& field, std::int32_t value, Bytes& out) {
  std::int64_t n = value;
  std::int64_t d = EffectiveMultiplier(field.multiplier);
  if (d < 0) {
    n = -n;
    d = -d;
  }
  switch (FieldTypeOf(field.type)) {
    case FieldType::kUB:
      PutLittleEndian(DivHalfEven(n, d), 1, out);
      break;
    case FieldType::kSB:
      PutLittleEndian(std::clamp(FloorDiv(n, d), kSByteMin, kSByteMax), 1, out);
      break;
    case FieldType::kUW:
    case FieldType::kSW:
      PutLittleEndian(Clamp32(DivHalfEven(n, d)), 2, out);
      break;
    case FieldType::kSL:
      PutLittleEndian(Clamp32(DivHalfEven(n, d)), 4, out);
      break;
    case FieldType::kUnknown:
      break;
  }
}

}  // namespace velmora::link
