#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "acq/logger_types.h"
#include "core/bytes.h"
#include "link/message_table.h"

namespace velmora::acq {

// The lines of a text, split at LF with a CR before it dropped; views into
// `text`.
[[nodiscard]] std::vector<std::string_view> LinesOf(std::string_view text);

// Hexadecimal digit pairs into `out` (replaced); false for an odd length or
// anything but hexadecimal digits.
[[nodiscard]] bool HexInto(std::string_view hex, Bytes& out);

// The exclusive-or of all bytes; 0 for a frame whose check byte is right.
[[nodiscard]] std::uint8_t XorOf(std::span<const std::uint8_t> bytes);

// An answer line of the traffic log ("ms R hex") cut at blanks into at most
// three parts, the last one taking the rest of the line.
struct AnswerLine {
  std::string_view time;
  std::string_view mark;
  std::string_view answer;
};
[[nodiscard]] AnswerLine SplitAnswerLine(std::string_view line);

// Told how far a rebuild has come: the line reached and the number of lines.
using RebuildProgress = std::function<void(std::size_t line, std::size_t lines)>;

// Rebuilds the sample table from a traffic log: each "CMD_READ_MEM1" or
// "CMD_READ_OBD_DATA" line names the answer two lines below it, which is
// kept when its three parts are there, its time is a number, it begins with
// the live or the OBD data header and its bytes exclusive-or to 0. The
// answer is decoded with the layout (and post-processing) of entry 1 or
// entry 12 of a copy of `table`; every record kept appends one sample.
// `progress` hears every 2,000 records and at the end.
[[nodiscard]] SampleTable RebuildSamples(std::string_view text, const link::MessageTable& table,
                                         const ChannelIds& ids,
                                         const RebuildProgress& progress = {});

}  // namespace velmora::acq
