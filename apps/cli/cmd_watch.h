#pragma once

#include "apps/cli/cli_options.h"

namespace velmora::cli {

// "watch --seconds N": runs the session for N seconds (or until Ctrl-C),
// printing each state change as it happens, stamped with the seconds since
// the start; titles, captions and message boxes go to standard error. Ends
// with the polls made and the line "poll rate: X Hz", the successful reads
// of the live record per second spent connected.
[[nodiscard]] int RunWatch(const CliOptions& options);

}  // namespace velmora::cli
