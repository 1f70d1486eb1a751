#pragma once

#include "apps/cli/cli_options.h"

namespace velmora::cli {

// "read FILE": the session connects and carries out the save request (8)
// into FILE.
[[nodiscard]] int RunCalibRead(const CliOptions& options);

// "write FILE [--scope all|settings|maps|switchover]": the session connects
// and carries out the load request of the scope (18, 9, 17, 53): everything
// (the default), every block but the maps, only the maps and axes, or only
// the five switch-over tables.
[[nodiscard]] int RunCalibWrite(const CliOptions& options);

// "show FILE": opens FILE without an ECU and prints every decoded entry, one
// field a line as "entry.field=value".
[[nodiscard]] int RunCalibShow(const CliOptions& options);

}  // namespace velmora::cli
