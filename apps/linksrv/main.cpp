// The link server: owns the serial port and answers the workstation's pipe
// messages on standard input and output.

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "apps/common/standard_options.h"
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
constexpr std::string_view kUsage =
    "usage: LinkSrv [--root DIR]\n"
    "       LinkSrv --help | --version\n"
    "Serves the workstation's link messages on standard input and output and\n"
    "owns the serial port; the workstation starts it.\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace velmora::link::server;
  // Only these two arguments turn the program away from its pipe protocol.
  if (const auto answered = velmora::apps::AnswerStandardOption(
          "LinkSrv", kUsage, std::span<char* const>(argv + 1, argv + argc))) {
    return *answered;
  }
  std::string root;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == kRootOption && i + 1 < argc) {
      root = argv[++i];
    } else if (arg.starts_with(std::string(kRootOption) + "=")) {
      root = std::string(arg.substr(kRootOption.size() + 1));
    } else {
      std::fprintf(stderr, "LinkSrv: unknown option %s\n%s", argv[i], kUsage.data());
      return velmora::apps::kUsageExit;
    }
  }
  // A workstation that went away must end the server through the failed
  // write, not through a signal (Windows has no such signal).
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);
#endif

  const Logger log = Logger::FromEnvironment();
  const std::optional<std::string> registry = RegistryFileFor(root);
  if (!registry) {
    log.Line("cannot find the installation folder");
  }
  RegistryPortDirectory ports(registry.value_or(velmora::link::PortRegistryPath(".")));
  PosixSerialOpener opener;
  velmora::platform::PosixClock clock;
  LinkServer server(opener, ports, clock, log);
  return ServePipes(velmora::platform::PosixSysIo(), STDIN_FILENO, STDOUT_FILENO, server, log);
}
