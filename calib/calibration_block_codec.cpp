#include "calib/calibration_block_codec.h"

#include "link/message_table_codec.h"

namespace velmora::calib {

core::MessageEntry DecodeEntryCopy(const core::MessageEntry& entry,
                                   std::span<const std::uint8_t> frame) {
  core::MessageEntry copy = entry;
  copy.values.resize(copy.fields.size(), 0);
  for (std::size_t i = 0; i < copy.fields.size(); ++i) {
    const link::DecodedField d = link::DecodeField(copy.fields[i], frame);
    if (d.status == link::DecodeStatus::kDecoded) {
      copy.values[i] = d.value;
    }
  }
  return copy;
}

Bytes EncodeEntry(const core::MessageEntry& entry) {
  Bytes out;
  for (std::size_t i = 0; i < entry.fields.size(); ++i) {
    link::EncodeField(entry.fields[i], i < entry.values.size() ? entry.values[i] : 0, out);
  }
  return out;
}

void SetField(core::MessageEntry& entry, std::size_t field, std::int32_t value) {
  if (field < entry.fields.size() && field < entry.values.size()) {
    entry.values[field] = value;
  }
}

std::int32_t FieldValue(const core::MessageEntry& entry, std::size_t field) {
  return field < entry.values.size() ? entry.values[field] : 0;
}

}  // namespace velmora::calib
