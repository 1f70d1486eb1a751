#pragma once

#include <memory>

#include "apps/cli/cli_options.h"
#include "apps/cli/headless_workstation.h"
#include "core/set_com.h"

namespace velmora::cli {

// The workstation of a command that works through the session: the port
// named with --port or --device becomes the remembered port, then the
// start-up sequence runs and the link server is started. nullptr, after the
// reason was shown, when the port is not there or the link did not start.
[[nodiscard]] std::unique_ptr<HeadlessWorkstation> OpenWorkstation(const CliOptions& options);

// OpenWorkstation, then the session finds, identifies and reads the ECU;
// nullptr (the session closed) when it did not within the search time.
[[nodiscard]] std::unique_ptr<HeadlessWorkstation> ConnectedWorkstation(const CliOptions& options);

// The command's end: the session's exit sequence, then the exit code.
[[nodiscard]] int Finish(HeadlessWorkstation& workstation, bool ok);

// The installation's message table settings, read without starting anything
// (for checking a command's words first).
[[nodiscard]] core::SetComConfig ReadInstalledSetCom(const CliOptions& options);

}  // namespace velmora::cli
