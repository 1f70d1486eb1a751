#pragma once

#include "apps/cli/cli_options.h"

namespace velmora::cli {

// "live --count N [--fields A,B,...]": N reads of the main live record, at
// most 20 a second, printed as CSV: a header line of field indexes, then one
// line of decoded values per read (field 32 as rpm).
[[nodiscard]] int RunLive(const CliOptions& options);

}  // namespace velmora::cli
