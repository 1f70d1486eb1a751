#include "apps/cli/cli_options.h"

#include <string_view>

#include "core/text.h"

namespace velmora::cli {

namespace {

constexpr int kMaxPort = 255;
constexpr int kMaxSearchSeconds = 86'400;

// Options that belong to a command: they travel with its words.
constexpr std::string_view kCommandOptions[] = {"--count",   "--fields", "--scope", "--seconds",
                                                "--request", "--to",     "--rpm",   "--time"};

bool IsCommandOption(const std::string& a) {
  for (const std::string_view name : kCommandOptions) {
    if (a == name ||
        (a.size() > name.size() && a.compare(0, name.size(), name) == 0 && a[name.size()] == '=')) {
      return true;
    }
  }
  return false;
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

}  // namespace

std::string UsageText() {
  return "usage: velmora-cli [--root DIR] [--device PATH | --port N] [--timeout S] COMMAND\n"
         "commands through the connection session (it finds the ECU itself, on the\n"
         "remembered port or by scanning; --port/--device become the remembered port;\n"
         "--timeout: seconds to search, default 60):\n"
         "  identify                 hardware generation, firmware version and text\n"
         "  read FILE                save the ECU's whole calibration into FILE\n"
         "  write FILE [--scope all|settings|maps|switchover]\n"
         "                           load FILE into the ECU: everything (default), every\n"
         "                           block but the maps, the maps and axes, or the five\n"
         "                           switch-over tables\n"
         "  live --count N [--fields A,B,...]\n"
         "                           the session's live poll (20 a second) as CSV lines\n"
         "                           of the chosen fields of entry 1 (default all)\n"
         "  watch --seconds N        the session's state changes as they happen, then\n"
         "                           the achieved poll rate\n"
         "  set ENTRY FIELD VALUE [--request CODE]\n"
         "                           write one field through the entry's write list and\n"
         "                           print the value read back\n"
         "  map show 0|1|2           a map as its grid: injection-time rows (ms; map 2:\n"
         "                           pressure bytes) by rpm columns\n"
         "  map set 0|1|2 ROW COL VALUE [--to ROW2 COL2]\n"
         "                           set a cell (or the rectangle up to ROW2 COL2) to\n"
         "                           VALUE 0..255, write the map and print it read back\n"
         "  axes show                the rpm and injection-time breakpoints\n"
         "  axes set [--rpm B0,..,B23] [--time B0,..,B22]\n"
         "                           new breakpoints (bytes: x64 rpm, x128 us) become the\n"
         "                           ECU's lookup tables; the session then reads all again\n"
         "commands on the link alone:\n"
         "  ports                    the serial ports as the connection page offers them\n"
         "  ports search             find the ECU on any port and remember it\n"
         "  send HEX                 send a complete ECU frame, print the answer\n"
         "  bank read 1|2|3          read a memory bank (552 bytes as hex)\n"
         "  bank write 1|2|3 HEX [--force]\n"
         "                           write a bank (bank 1: optionally 16 more bytes\n"
         "                           for its companion record) and read it back\n"
         "without an ECU:\n"
         "  show FILE                print the entries of a calibration file, one field a\n"
         "                           line as entry.field=value\n";
}

ParseOutcome ParseCommandLine(const std::vector<std::string>& args) {
  CliOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string value;
    if (a == "--root" || a.rfind("--root=", 0) == 0) {
      if (!TakeValue(args, i, "--root", &o.root) || o.root.empty()) {
        return {std::nullopt, "--root needs a folder"};
      }
    } else if (a == "--device" || a.rfind("--device=", 0) == 0) {
      if (!TakeValue(args, i, "--device", &o.device) || o.device.empty()) {
        return {std::nullopt, "--device needs a device path"};
      }
    } else if (a == "--port" || a.rfind("--port=", 0) == 0) {
      const bool ok = TakeValue(args, i, "--port", &value);
      const auto n = ok ? core::ParseInt32(value) : std::nullopt;
      if (!n || *n < 0 || *n > kMaxPort) {
        return {std::nullopt, "--port needs a number from 0 to 255"};
      }
      o.port = *n;
    } else if (a == "--timeout" || a.rfind("--timeout=", 0) == 0) {
      const bool ok = TakeValue(args, i, "--timeout", &value);
      const auto n = ok ? core::ParseInt32(value) : std::nullopt;
      if (!n || *n < 1 || *n > kMaxSearchSeconds) {
        return {std::nullopt, "--timeout needs a number of seconds from 1 to 86400"};
      }
      o.search_seconds = *n;
    } else if (a == "--force") {
      o.force = true;
    } else if (IsCommandOption(a)) {
      // The commands' own options travel with them, value included.
      o.command.push_back(a);
      if (a.find('=') == std::string::npos && i + 1 < args.size()) {
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
