#pragma once

#include "apps/cli/cli_options.h"

namespace velmora::cli {

// "identify": the session finds, identifies and reads the ECU; prints its
// hardware generation, the matched firmware entry, the version and the text.
[[nodiscard]] int RunIdentify(const CliOptions& options);

// "set ENTRY FIELD VALUE [--request CODE]": one write-list record for the
// entry, posted with the entry's own request code (or CODE); prints the
// value the ECU holds afterwards as "ENTRY.FIELD=VALUE".
[[nodiscard]] int RunSet(const CliOptions& options);

}  // namespace velmora::cli
