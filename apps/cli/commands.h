#pragma once

#include <span>
#include <string_view>

#include "apps/cli/cli_options.h"

namespace velmora::cli {

// Where a command's lines stand in the usage text.
enum class CommandGroup {
  kSession,  // through the connection session
  kLink,     // on the link alone
  kOffline,  // without an ECU
};

// A subcommand of the tool. Its options travel with its words, a valued
// one with the word after it; the command reads them itself.
struct CommandSpec {
  std::string_view name;
  int (*run)(const CliOptions& options);
  CommandGroup group;
  std::string_view valued_options;  // blank separated, "--name" each
  std::string_view flags;           // options without a value
  std::string_view usage;           // its lines of the usage text
};

// Every subcommand, in the order of the usage text.
[[nodiscard]] std::span<const CommandSpec> Commands();

// Runs the subcommand; the result is the process exit code.
[[nodiscard]] int RunCommand(const CliOptions& options);

}  // namespace velmora::cli
