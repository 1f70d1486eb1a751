#pragma once

#include <string>
#include <string_view>

#include "calib/calibration_image.h"
#include "link/message_table.h"

namespace velmora::calib {

// Fixed lines of the readable text dump.
namespace dump_text {
inline constexpr std::string_view kBlank = " ";
inline constexpr std::string_view kRecordTitle = "MatSoglie blocco 5";
inline constexpr std::string_view kUnknown = "???";
inline constexpr std::size_t kRecordBytes = 16;
}  // namespace dump_text

// The calibration as readable text, one item a CR LF line: a blank line,
// "MatSoglie blocco 5" and `caption`, "???", the 16 bytes of the "[BLK_5]"
// record in decimal (0 for bytes the image does not hold); then for every
// message-table entry a blank line, its name and number, its last answer in
// hexadecimal and each decoded value in decimal.
[[nodiscard]] std::string CalibrationDump(const link::MessageTable& table,
                                          const CalibrationImage& image, std::string_view caption);

}  // namespace velmora::calib
