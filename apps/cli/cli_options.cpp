#include "apps/cli/cli_options.h"

#include <optional>
#include <string_view>

#include "apps/cli/commands.h"
#include "core/text.h"

namespace velmora::cli {

namespace {

constexpr int kMaxPort = 255;
constexpr int kMaxSearchSeconds = 86'400;

// Whether `word` names `option`, alone or as "--name=value".
bool Names(std::string_view word, std::string_view option) {
  return word == option || (word.size() > option.size() &&
                            word.substr(0, option.size()) == option && word[option.size()] == '=');
}

// Whether `option` is in the blank-separated `list`.
bool Listed(std::string_view list, std::string_view word) {
  while (!list.empty()) {
    const std::size_t end = list.find(' ');
    if (Names(word, list.substr(0, end))) {
      return true;
    }
    list = end == std::string_view::npos ? std::string_view() : list.substr(end + 1);
  }
  return false;
}

// An option some command takes: with a value (true) or alone (false).
std::optional<bool> CommandOption(const std::string& word) {
  for (const CommandSpec& command : Commands()) {
    if (Listed(command.valued_options, word)) {
      return true;
    }
    if (Listed(command.flags, word)) {
      return false;
    }
  }
  return std::nullopt;
}

// "--name value" or "--name=value".
bool TakeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name,
               std::string* value) {
  const std::string& a = args[i];
  if (a == name) {
    if (i + 1 >= args.size()) {
      return false;
    }
    *value = args[++i];
    return true;
  }
  if (a.rfind(name + "=", 0) == 0) {
    *value = a.substr(name.size() + 1);
    return true;
  }
  return false;
}

// The option's value as a whole number from `min` to `max`.
std::optional<std::int32_t> TakeNumber(const std::vector<std::string>& args, std::size_t& i,
                                       const std::string& name, std::int32_t min,
                                       std::int32_t max) {
  std::string value;
  const auto n = TakeValue(args, i, name, &value) ? core::ParseInt32(value) : std::nullopt;
  if (!n || *n < min || *n > max) {
    return std::nullopt;
  }
  return n;
}

}  // namespace

std::string UsageText() {
  std::string text =
      "usage: velmora-cli [--root DIR] [--device PATH | --port N] [--timeout S] COMMAND\n"
      "       velmora-cli --help | --version\n";
  const auto group = [&text](CommandGroup which, const char* heading) {
    text += heading;
    for (const CommandSpec& command : Commands()) {
      if (command.group == which) {
        text += command.usage;
      }
    }
  };
  group(CommandGroup::kSession,
        "commands through the connection session (it finds the ECU itself, on the\n"
        "remembered port or by scanning; --port/--device become the remembered port;\n"
        "--timeout: seconds to search, default 60):\n");
  group(CommandGroup::kLink, "commands on the link alone:\n");
  group(CommandGroup::kOffline, "without an ECU:\n");
  return text;
}

ParseOutcome ParseCommandLine(const std::vector<std::string>& args) {
  CliOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--root" || a.rfind("--root=", 0) == 0) {
      if (!TakeValue(args, i, "--root", &o.root) || o.root.empty()) {
        return {std::nullopt, "--root needs a folder"};
      }
    } else if (a == "--device" || a.rfind("--device=", 0) == 0) {
      if (!TakeValue(args, i, "--device", &o.device) || o.device.empty()) {
        return {std::nullopt, "--device needs a device path"};
      }
    } else if (a == "--port" || a.rfind("--port=", 0) == 0) {
      const auto n = TakeNumber(args, i, "--port", 0, kMaxPort);
      if (!n) {
        return {std::nullopt, "--port needs a number from 0 to 255"};
      }
      o.port = *n;
    } else if (a == "--timeout" || a.rfind("--timeout=", 0) == 0) {
      const auto n = TakeNumber(args, i, "--timeout", 1, kMaxSearchSeconds);
      if (!n) {
        return {std::nullopt, "--timeout needs a number of seconds from 1 to 86400"};
      }
      o.search_seconds = *n;
    } else if (a == "--force") {
      o.force = true;
    } else if (const auto valued = CommandOption(a)) {
      // The commands' own options travel with them, value included.
      o.command.push_back(a);
      if (*valued && a.find('=') == std::string::npos && i + 1 < args.size()) {
        o.command.push_back(args[++i]);
      }
    } else if (a.rfind("--", 0) == 0) {
      return {std::nullopt, "unknown option " + a};
    } else {
      o.command.push_back(a);
    }
  }
  if (o.command.empty()) {
    return {std::nullopt, "no command given"};
  }
  if (!o.device.empty() && o.port) {
    return {std::nullopt, "--device and --port exclude each other"};
  }
  return {std::move(o), {}};
}

}  // namespace velmora::cli
