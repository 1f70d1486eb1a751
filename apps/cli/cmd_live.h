#pragma once

#include "apps/cli/cli_options.h"

namespace velmora::cli {

// "live --count N [--fields A,B,...]": the session's own live poll, one
// read of the main live record per Timer1 tick (20 a second), printed as
// CSV: a header line of field indexes, then one line of decoded values after
// each read (field 32 as rpm). Ends after N lines.
[[nodiscard]] int RunLive(const CliOptions& options);

}  // namespace velmora::cli
