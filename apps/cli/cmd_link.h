#pragma once

#include "apps/cli/cli_options.h"

namespace velmora::cli {

// send HEX: one complete ECU frame, its answer printed.
[[nodiscard]] int RunSend(const CliOptions& options);
// bank read|write 1|2|3 [HEX]: a memory bank straight over the link.
[[nodiscard]] int RunBank(const CliOptions& options);

}  // namespace velmora::cli
