#pragma once

#include "apps/cli/cli_options.h"

namespace velmora::cli {

// autotune [--cancel-at-step N]: the auto-tuning procedure, headless.
[[nodiscard]] int RunAutotune(const CliOptions& options);

}  // namespace velmora::cli
