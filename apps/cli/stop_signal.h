#pragma once

namespace velmora::cli {

// Ctrl-C and the termination signal end a running command the way closing
// the window ends the workstation: through the session's exit sequence, so
// the link server is told to leave.
void InstallStopSignals();
[[nodiscard]] bool StopRequested();

}  // namespace velmora::cli
