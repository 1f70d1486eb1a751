#pragma once

#include "apps/cli/cli_options.h"

namespace velmora::cli {

// Runs the subcommand; the result is the process exit code.
[[nodiscard]] int RunCommand(const CliOptions& options);

}  // namespace velmora::cli
