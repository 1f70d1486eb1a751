#pragma once

namespace velmora::cli {

// Ctrl-C and the termination signal end a running command the way closing
// the window ends the workstation: through the session's exit sequence, so
// the link server is told to leave.
//
// Before the link server starts: the termination signal is caught and
// Ctrl-C ignored, so the link server inherits it ignored (a Ctrl-C in the
// terminal reaches the whole process group, and the link server must stay
// until the exit sequence ends it).
void InstallStopSignals();
// After the link server started: Ctrl-C is caught too.
void CatchInterrupt();
[[nodiscard]] bool StopRequested();

}  // namespace velmora::cli
