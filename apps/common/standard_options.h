#pragma once

// The options every Velmora program answers alike, before it does anything
// else: --help prints the usage on standard output, --version the program's
// name and version; both end the program with status 0. A command line the
// program does not understand ends it with kUsageExit after the usage on
// standard error.

#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/version.h"

namespace velmora::apps {

inline constexpr int kUsageExit = 2;
inline constexpr std::string_view kHelpOption = "--help";
inline constexpr std::string_view kVersionOption = "--version";

// "<program> 1.0.0 - 18/09/2019 *** BETA VERSION ***": the version text the
// captions show, without its surrounding blanks.
[[nodiscard]] inline std::string VersionLine(std::string_view program) {
  const std::string text = core::VersionText();
  const std::size_t first = text.find_first_not_of(' ');
  const std::size_t last = text.find_last_not_of(' ');
  const std::string version =
      first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
  return std::string(program) + " " + version;
}

// The exit status when `args` (without the program name) ask for the help or
// the version; nullopt when the program should go on.
[[nodiscard]] inline std::optional<int> AnswerStandardOption(std::string_view program,
                                                             std::string_view usage,
                                                             std::span<char* const> args) {
  for (const char* a : args) {
    const std::string_view arg = a;
    if (arg == kHelpOption) {
      std::fwrite(usage.data(), 1, usage.size(), stdout);
      std::fflush(stdout);
      return 0;
    }
    if (arg == kVersionOption) {
      std::printf("%s\n", VersionLine(program).c_str());
      std::fflush(stdout);
      return 0;
    }
  }
  return std::nullopt;
}

}  // namespace velmora::apps
