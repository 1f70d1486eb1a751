#include "apps/cli/stop_signal.h"

#include <signal.h>

#include <csignal>

namespace velmora::cli {

namespace {

volatile std::sig_atomic_t g_stop = 0;

extern "C" void OnStopSignal(int /*signal*/) {
  g_stop = 1;
}

}  // namespace

void InstallStopSignals() {
  struct sigaction sa {};
  sa.sa_handler = OnStopSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // waits end early and look at the flag
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
}

bool StopRequested() {
  return g_stop != 0;
}

}  // namespace velmora::cli
