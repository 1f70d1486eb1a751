// The link server: owns the serial port and answers the workstation's pipe
// messages on standard input and output.

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>

#include "link/port_registry.h"
#include "link/server/install_paths.h"
#include "link/server/link_server.h"
#include "link/server/logger.h"
#include "link/server/port_directory.h"
#include "link/server/posix_serial.h"
#include "link/server/serve_pipes.h"
#include "platform/posix/posix_clock.h"

namespace {

constexpr std::string_view kRootOption = "--root";

}  // namespace

int main(int argc, char** argv) {
  using namespace velmora::link::server;
  std::string root;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == kRootOption && i + 1 < argc) {
      root = argv[++i];
    } else if (arg.starts_with(std::string(kRootOption) + "=")) {
      root = std::string(arg.substr(kRootOption.size() + 1));
    } else {
      std::fprintf(stderr, "LinkSrv: unknown option %s\nusage: LinkSrv [--root DIR]\n", argv[i]);
      return 2;
    }
  }
  // A workstation that went away must end the server through the failed
  // write, not through a signal.
  std::signal(SIGPIPE, SIG_IGN);

  const Logger log = Logger::FromEnvironment();
  const std::optional<std::string> bin = BinDirFor(root);
  if (!bin) {
    log.Line("cannot find the installation folder");
  }
  RegistryPortDirectory ports(velmora::link::PortRegistryPath(bin.value_or(".")));
  PosixSerialOpener opener;
  velmora::platform::PosixClock clock;
  LinkServer server(opener, ports, clock, log);
  return ServePipes(velmora::platform::PosixSysIo(), STDIN_FILENO, STDOUT_FILENO, server, log);
}
