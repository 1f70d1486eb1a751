#pragma once

#include "apps/cli/cli_options.h"

namespace velmora::cli {

// "log --seconds N [--fast] --out FILE.vfl": records the live record for N
// seconds as the logger page does, into a view file (the traffic log,
// written beside FILE and renamed to it at the end). Progress goes to
// standard error, the number of records and the achieved record rate to
// standard output. With --fast the live record is read back to back
// instead of once per 50 ms tick, as fast as the line allows.
[[nodiscard]] int RunLog(const CliOptions& options);

}  // namespace velmora::cli
