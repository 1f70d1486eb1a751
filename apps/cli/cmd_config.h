#pragma once

#include "apps/cli/cli_options.h"

namespace velmora::cli {

// "switchover show" and "switchover set CONTROL ITEM": the switch-over
// page's controls as the ECU's blocks set them, and one control chosen as
// the page chooses it, then shown with the words it wrote as read back.
[[nodiscard]] int RunSwitchOver(const CliOptions& options);

// "compensation show" and "compensation centre KIND COLUMN [--factor F]":
// the five compensation tables, and one centred on a breakpoint as the page
// centres it, written with request 15 and shown as read back.
[[nodiscard]] int RunCompensation(const CliOptions& options);

}  // namespace velmora::cli
