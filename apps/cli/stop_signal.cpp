#include "apps/cli/stop_signal.h"

#include <signal.h>

#include <csignal>

namespace velmora::cli {

namespace {

volatile std::sig_atomic_t g_stop = 0;

extern "C" void OnStopSignal(int /*signal*/) {
  g_stop = 1;
}

void Handle(int signal, void (*handler)(int)) {
  struct sigaction sa {};
  sa.sa_handler = handler;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // a wait in progress ends early and looks at the flag
  sigaction(signal, &sa, nullptr);
}

}  // namespace

void InstallStopSignals() {
  Handle(SIGTERM, OnStopSignal);
  Handle(SIGINT, SIG_IGN);
}

void CatchInterrupt() {
  Handle(SIGINT, OnStopSignal);
}

bool StopRequested() {
  return g_stop != 0;
}

}  // namespace velmora::cli
