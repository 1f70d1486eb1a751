#pragma once

#include "apps/cli/cli_options.h"

namespace velmora::cli {

// "diff A B": A and B are calibration files or the word "ecu" (the
// connected ECU, as the session reads it). One line per difference, the
// map cells as "map M row R col C: old → new"; exits with 0 when the two
// are equal, 1 when they differ and 2 when one of them cannot be read.
[[nodiscard]] int RunDiff(const CliOptions& options);

}  // namespace velmora::cli
