#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>

#include "core/bytes.h"
#include "core/set_com.h"
#include "link/message_table.h"

namespace velmora::acq {

// Answer frames as the ECU sends them for the traced records: the main live
// record (0x0C, 120 data bytes) and the OBD data (0x44, 88 data bytes).
namespace answer_frame {
inline constexpr std::uint8_t kLiveCommand = 0x0C;
inline constexpr std::size_t kLiveDataBytes = 120;
inline constexpr std::uint8_t kObdCommand = 0x44;
inline constexpr std::size_t kObdDataBytes = 88;
inline constexpr std::size_t kHeaderBytes = 5;  // 42 01 L command status
}  // namespace answer_frame

// A field and the value it should decode to.
using FieldValue = std::pair<std::size_t, std::int32_t>;

// "42 01 L command 00", `data_bytes` zero data bytes, each value where its
// field of `layout` decodes it (one-byte and two-byte fields; others are
// left out), and the check byte.
[[nodiscard]] Bytes AnswerFrame(std::uint8_t command, std::size_t data_bytes,
                                const core::MessageEntry& layout,
                                std::span<const FieldValue> values);

// A traffic log of an engine idling, blipping the throttle now and then,
// warming up and switching to gas: `seconds` of main live records at
// `per_second`, and an OBD data record every `obd_every` live records (0:
// none), encoded with the layouts of entries 1 and 12 of `table`. The rpm
// is written as the signal period the ECU sends for an rpm factor of 1.
[[nodiscard]] std::string SyntheticTrafficLog(const link::MessageTable& table, double seconds,
                                              int per_second, int obd_every);

}  // namespace velmora::acq
