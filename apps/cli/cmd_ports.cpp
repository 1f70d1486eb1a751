#include "apps/cli/cmd_ports.h"

#include <cstdio>
#include <string>

#include "apps/cli/cli_link.h"
#include "core/paths.h"
#include "core/user_data.h"
#include "link/port_discovery.h"
#include "link/port_registry.h"
#include "link/port_search.h"
#include "link/serial_access.h"
#include "platform/posix/libserialport_enumerator.h"
#include "platform/stderr_message_box.h"

namespace velmora::cli {
namespace {

constexpr const char* kSearchArgument = "search";

int ListPorts(const CliOptions& options) {
  const core::PathTable paths = core::InstallationPaths(ResolveRoot(options.root));
  platform::LibserialportEnumerator enumerator;
  platform::StderrMessageBox box;
  const link::PortListing listing = link::ElencaPorte(enumerator, paths.port_registry, box);
  link::SerialAccessNotice notice;
  notice.Tell(listing.refused_devices, box);
  for (const std::string& line : listing.selector.lines) {
    std::printf("%s\n", line.c_str());
  }
  return exit_code::kOk;
}

int SearchPort(const CliOptions& options) {
  CliLink link(options);
  if (!link.Start()) {
    return exit_code::kFailed;
  }
  const int port = link::CercaPorta(link.Ecu(), link.SetCom(), link.Paths().port_com);
  if (port == link::kNoPortFound) {
    std::fprintf(stderr, "no ECU answers on any port\n");
    return exit_code::kFailed;
  }
  std::printf("%s\n", link::SelectorLine({port, link::PortKind::kCom}).c_str());
  return exit_code::kOk;
}

}  // namespace

int RunPorts(const CliOptions& options) {
  if (options.command.size() == 1) {
    return ListPorts(options);
  }
  if (options.command.size() == 2 && options.command[1] == kSearchArgument) {
    return SearchPort(options);
  }
  std::fprintf(stderr, "%s\n", UsageText().c_str());
  return exit_code::kUsage;
}

}  // namespace velmora::cli
