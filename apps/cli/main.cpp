// Headless front end over the workstation core: the link and the ECU from a
// shell, for service work and for tests that drive the real processes.

#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "apps/cli/cli_link.h"
#include "apps/cli/cli_options.h"
#include "apps/cli/commands.h"
#include "apps/common/standard_options.h"

int main(int argc, char** argv) {
  using namespace velmora::cli;
  if (const auto answered = velmora::apps::AnswerStandardOption(
          "velmora-cli", UsageText(), std::span<char* const>(argv + 1, argv + argc))) {
    return *answered;
  }
  const std::vector<std::string> args(argv + 1, argv + argc);
  const ParseOutcome parsed = ParseCommandLine(args);
  if (!parsed.options) {
    std::fprintf(stderr, "velmora-cli: %s\n%s", parsed.error.c_str(), UsageText().c_str());
    return exit_code::kUsage;
  }
  const int code = RunCommand(*parsed.options);
  std::fflush(stdout);
  return code;
}
