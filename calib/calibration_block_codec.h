#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/bytes.h"
#include "core/set_com.h"

namespace velmora::calib {

// A copy of an entry with the fields of `frame` decoded into it; fields whose
// bytes lie beyond the frame keep the copy's values. No post-processing: the
// copy stands for a block of a file, not for the ECU.
[[nodiscard]] core::MessageEntry DecodeEntryCopy(const core::MessageEntry& entry,
                                                 std::span<const std::uint8_t> frame);

// The entry's values as the data bytes of its write command.
[[nodiscard]] Bytes EncodeEntry(const core::MessageEntry& entry);

// Sets one value of a copy; an index outside its fields does nothing.
void SetField(core::MessageEntry& entry, std::size_t field, std::int32_t value);
[[nodiscard]] std::int32_t FieldValue(const core::MessageEntry& entry, std::size_t field);

}  // namespace velmora::calib
