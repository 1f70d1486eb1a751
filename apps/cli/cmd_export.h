#pragma once

#include "apps/cli/cli_options.h"

namespace velmora::cli {

// "export FILE.vfl [--csv|--png] --out FILE [--calibration FILE.xsi]": the
// samples of a view file, rebuilt as the logger page rebuilds them, as the
// logger's text export (default), a CSV table with units, or a PNG picture
// of the whole recording. Block 3 (whose rpm factor turns the live record's
// signal period into rpm) comes from the calibration file, by default the
// installation's default calibration, as the workstation has it offline.
[[nodiscard]] int RunExport(const CliOptions& options);

}  // namespace velmora::cli
