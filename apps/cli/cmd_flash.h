#pragma once

#include "apps/cli/cli_options.h"

namespace velmora::cli {

// flash IMAGE: the firmware update of the firmware page, headless.
[[nodiscard]] int RunFlash(const CliOptions& options);

}  // namespace velmora::cli
