#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "calib/calibration_sections.h"
#include "core/bytes.h"

namespace velmora::calib {

// A stored answer frame: 42 01 L command 00, the data, the XOR of all bytes
// before it (L = data + 4). nullopt when the data cannot be framed.
[[nodiscard]] std::optional<Bytes> MakeStoredFrame(std::uint8_t command,
                                                   std::span<const std::uint8_t> data);

// At least the five header bytes and the check byte, and a length byte that
// matches the frame's size.
[[nodiscard]] bool FrameWellFormed(std::span<const std::uint8_t> frame);

// The data of a stored frame: its bytes from the sixth up to, not including,
// the last (the check byte is dropped, never verified). Empty for a frame
// too short to have data.
[[nodiscard]] Bytes FrameData(std::span<const std::uint8_t> frame);

// Whether `frame` can stand as the value of `section`: well formed, and
// carrying the data size the section needs where that size is fixed.
[[nodiscard]] bool SectionFrameValid(Section section, std::span<const std::uint8_t> frame);

// Sets the exclusive-or check byte (the last byte) of a frame of at least
// two bytes.
void RecomputeCheckByte(Bytes& frame);

// The "[BLK_3]" frame as saved: the first cylinder flag set and every other
// set flag made 1, with the check byte worked out again. Frames of 27 bytes
// or fewer are returned as they are.
[[nodiscard]] Bytes NormaliseBlock3Frame(Bytes frame);

}  // namespace velmora::calib
