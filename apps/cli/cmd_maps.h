#pragma once

#include "apps/cli/cli_options.h"

namespace velmora::cli {

// "map show N" and "map set N ROW COL VALUE [--to ROW2 COL2]": a map of the
// image read at connection, and a rectangle of it set and written with the
// map's own request (11, 63, 62), then shown as read back.
[[nodiscard]] int RunMap(const CliOptions& options);

// "axes show" and "axes set [--rpm ...] [--time ...]": the breakpoints, and
// new ones written as the ECU's lookup tables with request 23, after which
// the session connects and reads everything again.
[[nodiscard]] int RunAxes(const CliOptions& options);

}  // namespace velmora::cli
