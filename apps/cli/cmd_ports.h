#pragma once

#include "apps/cli/cli_options.h"

namespace velmora::cli {

// "ports": the port selector's lines, one per line, as the connection page
// offers them. "ports search": asks the link server to find the ECU over
// every connection profile and prints the port it answered on.
[[nodiscard]] int RunPorts(const CliOptions& options);

}  // namespace velmora::cli
