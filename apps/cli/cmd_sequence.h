#pragma once

#include "apps/cli/cli_options.h"

namespace velmora::cli {

// "sequence [--reset]": the injection sequence page's acquisition (request
// 56, which the session follows with the entry-15 read-back of 54) or, with
// --reset, its reset to the straight assignment; then the page's lines as
// the ECU now holds them. A refusal prints the page's message and exits 1.
[[nodiscard]] int RunSequence(const CliOptions& options);

}  // namespace velmora::cli
