// Ctrl-C, Ctrl-Break and closing the console on Windows: the console's
// control handler sets the same flag the POSIX signals set. Until the link
// server runs, Ctrl-C is swallowed so the whole console group is not ended.

#include <windows.h>

#include <atomic>

#include "apps/cli/stop_signal.h"

namespace velmora::cli {

namespace {

std::atomic<bool> g_stop{false};
std::atomic<bool> g_catch_interrupt{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event == CTRL_C_EVENT && !g_catch_interrupt) {
    return TRUE;  // ignored, as SIGINT is before the link server starts
  }
  g_stop = true;
  return TRUE;
}

}  // namespace

void InstallStopSignals() {
  (void)SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void CatchInterrupt() {
  g_catch_interrupt = true;
}

bool StopRequested() {
  return g_stop;
}

}  // namespace velmora::cli
