// Arbitrary field layouts over arbitrary answers: decoding, post-processing
// and encoding must never read outside the answer or the field list, and the
// encoded data always has the width the known field types add up to.
//
// Input: byte 0 picks the decoded entry's index (0..3), byte 1 its number
// (0..15, so the post-processed numbers 1, 3, 5 and 12 come up), byte 2 the
// field count (0..63); then 7 bytes per field: type (UB, SB, UW, SW, SL, an
// unknown code, an empty one), position as a signed 16-bit value, multiplier
// as a signed 32-bit value; the rest is the answer.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "core/set_com.h"
#include "link/live_record_sink.h"
#include "link/message_table.h"
#include "link/message_table_codec.h"

namespace {

constexpr std::size_t kEntries = 4;
constexpr std::size_t kFieldBytes = 7;
constexpr std::size_t kMaxFields = 64;
constexpr std::size_t kNumbers = 16;
const char* const kTypes[] = {"UB", "SB", "UW", "SW", "SL", "ZZ", ""};

class Sink final : public velmora::link::LiveRecordSink {
 public:
  bool Recording() const override { return true; }
  std::int64_t ElapsedMs() override { return ++ms_; }
  void AppendRecord(const velmora::core::MessageEntry& entry, std::span<const std::uint8_t>,
                    std::int64_t) override {
    records_ += entry.values.size();
  }
  void WriteTraceLine(std::string_view line) override { chars_ += line.size(); }

 private:
  std::int64_t ms_ = 0;
  std::size_t records_ = 0;
  std::size_t chars_ = 0;
};

std::size_t Width(const std::string& type) {
  using velmora::link::FieldType;
  switch (velmora::link::FieldTypeOf(type)) {
    case FieldType::kUB:
    case FieldType::kSB:
      return 1;
    case FieldType::kUW:
    case FieldType::kSW:
      return 2;
    case FieldType::kSL:
      return 4;
    case FieldType::kUnknown:
      return 0;
  }
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  if (size < 3) {
    return 0;
  }
  const std::size_t target = data[0] % kEntries;
  const auto number = static_cast<std::int32_t>(data[1] % kNumbers);
  std::size_t count = data[2] % kMaxFields;
  std::size_t at = 3;
  std::vector<core::FieldSpec> fields;
  while (count-- > 0 && at + kFieldBytes <= size) {
    core::FieldSpec f;
    f.type = kTypes[data[at] % std::size(kTypes)];
    f.position = static_cast<std::int16_t>(data[at + 1] | (data[at + 2] << 8));
    f.multiplier = static_cast<std::int32_t>(static_cast<std::uint32_t>(data[at + 3]) |
                                             (static_cast<std::uint32_t>(data[at + 4]) << 8) |
                                             (static_cast<std::uint32_t>(data[at + 5]) << 16) |
                                             (static_cast<std::uint32_t>(data[at + 6]) << 24));
    fields.push_back(std::move(f));
    at += kFieldBytes;
  }
  const std::span<const std::uint8_t> answer(data + at, size - at);

  std::vector<core::MessageEntry> entries(kEntries);
  for (std::size_t i = 0; i < kEntries; ++i) {
    entries[i].number = i == target ? number : static_cast<std::int32_t>(i);
    entries[i].name = "E";
    entries[i].request_hex = "4102030C4C";
    entries[i].fields = fields;
    entries[i].values.assign(fields.size(), 0);
  }
  link::MessageTable table(std::move(entries), [](std::string_view) {});
  Sink sink;
  table.SetRecordSink(&sink);
  table.SetSmoothingWeights(data[0], data[1]);

  table.DecodificaRisposta(answer, link::live::kBlock3Index);
  table.DecodificaRisposta(answer, target);
  table.DecodificaRisposta(answer.first(answer.size() / 2), target);
  std::int64_t sum = 0;
  for (std::size_t f = 0; f <= fields.size() + 1; ++f) {
    sum += static_cast<std::int64_t>(table.Value(target, f)) + table.Shown(target, f);
  }
  (void)sum;

  std::size_t width = 0;
  for (const auto& f : fields) {
    width += Width(f.type);
  }
  if (table.CodificaValori(target).size() != width) {
    std::abort();
  }
  table.SetValue(target, fields.size(), 1);
  if (table.Value(target, fields.size()) != 0) {
    std::abort();
  }
  return 0;
}
