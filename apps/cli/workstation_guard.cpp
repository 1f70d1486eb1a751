#include "apps/cli/workstation_guard.h"

#include <cstdio>

namespace velmora::cli {

std::optional<std::string> WorkstationRefusal(platform::ProcessList& processes,
                                              const std::string& root) {
  const auto running = platform::FindInstalled(processes, kWorkstationExeName, root + "/bin");
  if (running.empty()) {
    return std::nullopt;
  }
  return "velmora-cli: the workstation (pid " + std::to_string(running.front().pid) +
         ") is running on this installation (" + root + "); close it first";
}

bool LinkMayStart(platform::ProcessList& processes, const std::string& root) {
  const std::optional<std::string> refusal = WorkstationRefusal(processes, root);
  if (refusal) {
    std::fprintf(stderr, "%s\n", refusal->c_str());
    std::fflush(stderr);
  }
  return !refusal;
}

}  // namespace velmora::cli
