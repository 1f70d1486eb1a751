#include "apps/cli/session_command.h"

#include <filesystem>
#include <string>
#include <vector>

#include "apps/cli/cli_link.h"
#include "apps/cli/command_words.h"
#include "apps/cli/stop_signal.h"
#include "apps/cli/workstation_guard.h"
#include "core/files.h"
#include "core/user_data.h"
#include "link/port_com.h"
#include "link/port_discovery.h"
#include "link/port_registry.h"
#include "platform/posix/libserialport_enumerator.h"
#include "platform/posix/proc_process_list.h"
#include "platform/stderr_message_box.h"
#include "platform/sys_io.h"

namespace velmora::cli {

namespace {

std::string OwnExecutableName() {
  return std::filesystem::path(platform::SelfExecutablePath()).filename().string();
}

// The port given on the command line, as the session's remembered port. A
// --port that the port list lacks is refused rather than left to the search,
// which would scan other ports.
bool RememberChosenPort(const CliOptions& options, const core::PathTable& paths) {
  const std::string registry = paths.port_registry;
  std::optional<int> port = options.port;
  if (!options.device.empty()) {
    port = link::RegisterPort(registry, options.device);
    if (!port) {
      Err("cannot register " + options.device + " in " + registry);
      return false;
    }
  } else if (port) {
    platform::LibserialportEnumerator enumerator;
    platform::StderrMessageBox box;
    const link::PortListing listing = link::ElencaPorte(enumerator, registry, box);
    if (!link::FindPort(listing.ports, *port)) {
      Err("COM" + std::to_string(*port) + " is not among the serial ports (velmora-cli ports)");
      return false;
    }
  }
  if (port && !link::WriteRememberedPort(paths.port_com, *port)) {
    Err("cannot write " + paths.port_com);
    return false;
  }
  return true;
}

}  // namespace

std::unique_ptr<HeadlessWorkstation> OpenWorkstation(const CliOptions& options) {
  const std::string root = ResolveRoot(options.root);
  platform::ProcProcessList processes;
  if (!LinkMayStart(processes, root)) {
    return nullptr;
  }
  if (!RememberChosenPort(options, core::InstallationPaths(root))) {
    return nullptr;
  }
  InstallStopSignals();
  auto workstation = std::make_unique<HeadlessWorkstation>(root, OwnExecutableName());
  CatchInterrupt();
  if (!workstation->LinkStarted()) {
    Err("the link server could not be started");
    (void)workstation->Close();
    return nullptr;
  }
  return workstation;
}

std::unique_ptr<HeadlessWorkstation> ConnectedWorkstation(const CliOptions& options) {
  auto workstation = OpenWorkstation(options);
  if (!workstation) {
    return nullptr;
  }
  workstation->Start();
  if (!workstation->WaitConnected(SteadyClock::now() +
                                  std::chrono::seconds(options.search_seconds))) {
    (void)workstation->Close();
    return nullptr;
  }
  return workstation;
}

int Finish(HeadlessWorkstation& workstation, bool ok) {
  (void)workstation.Close();
  return ok ? exit_code::kOk : exit_code::kFailed;
}

core::SetComConfig ReadInstalledSetCom(const CliOptions& options) {
  const core::PathTable paths = core::FillPathTable(ResolveRoot(options.root));
  std::vector<std::string> lines;
  (void)core::LeggiRighe(paths.set_com, lines);
  return core::LeggiSetCom(lines);
}

}  // namespace velmora::cli
