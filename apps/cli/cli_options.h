#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velmora::cli {

// Exit codes of the tool.
namespace exit_code {
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;  // the ECU or the link said no
inline constexpr int kUsage = 2;
}  // namespace exit_code

struct CliOptions {
  std::string root;    // empty: the installation the executable sits in
  std::string device;  // a serial device to register and use
  std::optional<int> port;
  // Seconds the session searches for the ECU before it gives up.
  int search_seconds = 60;
  bool force = false;                // bank write: send every chunk
  std::vector<std::string> command;  // subcommand and its arguments
};

struct ParseOutcome {
  std::optional<CliOptions> options;
  std::string error;  // set when options is empty
};

// Global options may come before or after the subcommand.
[[nodiscard]] ParseOutcome ParseCommandLine(const std::vector<std::string>& args);

[[nodiscard]] std::string UsageText();

}  // namespace velmora::cli
