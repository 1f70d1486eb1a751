// The virtual ECU: serves the ECU wire protocol on a pseudo-terminal (or a
// given serial device) and registers the line in the installation's port
// registry, so the link server finds it by port number.

#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "apps/common/standard_options.h"
#include "core/paths.h"
#include "core/user_data.h"
#include "firmware/flash_layout.h"
#include "link/port_registry.h"
#include "link/server/install_paths.h"
#include "platform/process_list.h"
#include "platform/program_failure.h"
#include "sim/ecu_line.h"
#include "sim/ecu_model.h"
#include "sim/fault_injector.h"
#include "sim/options.h"
#include "sim/request_log.h"
#include "sim/serve_loop.h"
#include "sim/state_file.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

extern "C" void OnStopSignal(int /*sig*/) {
  g_stop = 1;
}

// Root of the installation the executable sits in: the parent of its bin.
std::string DefaultRoot() {
  const auto dir = velmora::link::server::ExecutableDir();
  return dir ? velmora::core::RootFromExecutableDir(*dir) : std::string();
}

constexpr velmora::platform::ProgramFailure Fail{"velmora-ecusim"};

// The stop signals stay blocked except while the server waits, so one
// arriving between two waits is never lost. The mask the waits use.
sigset_t BlockStopSignals() {
  sigset_t stop_set;
  sigemptyset(&stop_set);
  sigaddset(&stop_set, SIGTERM);
  sigaddset(&stop_set, SIGINT);
  sigset_t wait_mask;
  sigprocmask(SIG_BLOCK, &stop_set, &wait_mask);
  // Even when started with them blocked, the waits must let them in.
  sigdelset(&wait_mask, SIGTERM);
  sigdelset(&wait_mask, SIGINT);
  struct sigaction sa {};
  sa.sa_handler = OnStopSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  return wait_mask;
}

void SaveStateFile(const velmora::sim::SimOptions& opts, velmora::sim::EcuModel& model) {
  if (!opts.state_file.empty() && !velmora::sim::SaveState(opts.state_file, model.Memory())) {
    std::fprintf(stderr, "velmora-ecusim: cannot save %s\n", opts.state_file.c_str());
  }
}

velmora::sim::ServeSettings SettingsFor(const velmora::sim::SimOptions& opts,
                                        velmora::sim::EcuModel& model,
                                        std::optional<velmora::sim::RequestLog>& record) {
  velmora::sim::ServeSettings settings;
  settings.baud = opts.baud;
  settings.proc_us = opts.proc_us;
  settings.log = opts.log;
  if (!opts.state_file.empty()) {
    settings.memory_changed = [&opts, &model] { SaveStateFile(opts, model); };
  }
  if (record) {
    settings.received = [&record](std::span<const std::uint8_t> frame, bool accepted) {
      record->Record(frame, accepted);
    };
  }
  return settings;
}

velmora::sim::SimSetup SetupFor(const velmora::sim::SimOptions& opts, const std::string& root) {
  velmora::sim::SimSetup setup;
  setup.hardware = opts.hardware;
  setup.slow_command_us = opts.slow_ms * 1000;
  setup.seed = opts.seed;
  setup.bad_injector = opts.bad_injector;
  // The flash has the sectors the installation's Flash.ini lists; without a
  // usable one, the factory geometry.
  const std::string flash_ini = velmora::core::FillPathTable(root).flash_ini;
  const auto layout = velmora::firmware::ReadFlashLayout(flash_ini);
  if (layout.layout) {
    setup.flash = layout.layout;
  } else if (layout.error != velmora::firmware::LayoutError::kMissing) {
    std::fprintf(stderr, "velmora-ecusim: %s; the factory flash is used\n",
                 velmora::firmware::DescribeLayoutError(layout).c_str());
  }
  setup.erase_us = opts.erase_ms * 1000;
  setup.restart_us = opts.restart_ms * 1000;
  setup.power_loss_after_block = opts.power_loss_after_block;
  setup.power_off_us = opts.power_off_ms * 1000;
  setup.ecu_errors = opts.ecu_errors;
  return setup;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace velmora::sim;
  if (const auto answered = velmora::apps::AnswerStandardOption(
          "velmora-ecusim", SimUsage(), std::span<char* const>(argv + 1, argv + argc))) {
    return *answered;
  }
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  std::string error;
  const std::optional<SimOptions> opts = ParseSimOptions(args, error);
  if (!opts) {
    (void)Fail(error);
    std::fputs(SimUsage().data(), stderr);
    return velmora::apps::kUsageExit;
  }
  const sigset_t wait_mask = BlockStopSignals();
  std::optional<RequestLog> record;
  if (!opts->record_file.empty() && !(record = RequestLog::Open(opts->record_file))) {
    return Fail("cannot create " + opts->record_file);
  }
  const std::string root = opts->root.empty() ? DefaultRoot() : opts->root;
  EcuModel model(SetupFor(*opts, root));
  if (!opts->state_file.empty() && !LoadState(opts->state_file, model.Memory())) {
    // A first run: the file appears with the first save.
    (void)SaveState(opts->state_file, model.Memory());
  }
  std::optional<EcuLine> line = opts->device.empty()
                                    ? OpenPseudoTerminal(opts->baud, error)
                                    : OpenSerialDevice(opts->device, opts->baud, error);
  if (!line) {
    return Fail(error);
  }
  // The registry the link server reads, below the same user-data root.
  const std::string registry = velmora::core::InstallationPaths(root).port_registry;
  const std::optional<int> number = velmora::link::RegisterOwnPort(
      registry, line->path, opts->port, velmora::platform::PosixProcessList());
  if (!number) {
    return Fail("cannot register " + line->path + " in " + registry);
  }
  std::printf("%s %d\n", line->path.c_str(), *number);
  std::fflush(stdout);
  FaultInjector faults(opts->faults);
  const int rc =
      ServeEcu(line->io.Get(), model, faults, SettingsFor(*opts, model, record), g_stop, wait_mask);
  SaveStateFile(*opts, model);
  (void)velmora::link::UnregisterPort(registry, line->path);
  return rc;
}
