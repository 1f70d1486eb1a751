#include "sim/options.h"

#include <charconv>

namespace velmora::sim {
namespace {

std::optional<long> ParseCount(std::string_view s, long min, long max) {
  long v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size() || v < min || v > max) {
    return std::nullopt;
  }
  return v;
}

constexpr long kMaxCount = 1'000'000'000;

bool TakeText(std::string& into, std::string_view value) {
  into = value;
  return !value.empty();
}

template <typename T>
bool TakeCount(T& into, std::string_view value, long min, long max = kMaxCount) {
  const std::optional<long> n = ParseCount(value, min, max);
  if (n) {
    into = static_cast<T>(*n);
  }
  return n.has_value();
}

// One option with a value, and how the value is taken; false for a value
// the option does not accept.
struct OptionRule {
  std::string_view name;
  bool (*take)(SimOptions& o, std::string_view value);
};

constexpr OptionRule kOptionRules[] = {
    {"--hw",
     [](SimOptions& o, std::string_view v) {
       const auto hw = ParseHardware(v);
       o.hardware = hw.value_or(Hardware::kNex);
       return hw.has_value();
     }},
    {"--device", [](SimOptions& o, std::string_view v) { return TakeText(o.device, v); }},
    {"--root", [](SimOptions& o, std::string_view v) { return TakeText(o.root, v); }},
    {"--record", [](SimOptions& o, std::string_view v) { return TakeText(o.record_file, v); }},
    {"--state", [](SimOptions& o, std::string_view v) { return TakeText(o.state_file, v); }},
    {"--port", [](SimOptions& o, std::string_view v) { return TakeCount(o.port, v, 0, 255); }},
    {"--baud",
     [](SimOptions& o, std::string_view v) { return TakeCount(o.baud, v, 50, 4'000'000); }},
    {"--proc-us", [](SimOptions& o, std::string_view v) { return TakeCount(o.proc_us, v, 0); }},
    {"--slow-ms", [](SimOptions& o, std::string_view v) { return TakeCount(o.slow_ms, v, 0); }},
    {"--seed", [](SimOptions& o, std::string_view v) { return TakeCount(o.seed, v, 0); }},
    {"--erase-ms", [](SimOptions& o, std::string_view v) { return TakeCount(o.erase_ms, v, 0); }},
    {"--restart-ms",
     [](SimOptions& o, std::string_view v) { return TakeCount(o.restart_ms, v, 0); }},
    {"--power-loss-after-block",
     [](SimOptions& o, std::string_view v) { return TakeCount(o.power_loss_after_block, v, 0); }},
    {"--power-off-ms",
     [](SimOptions& o, std::string_view v) { return TakeCount(o.power_off_ms, v, 0); }},
    {"--drop-every",
     [](SimOptions& o, std::string_view v) { return TakeCount(o.faults.drop_every, v, 0); }},
    {"--bad-xor-every",
     [](SimOptions& o, std::string_view v) { return TakeCount(o.faults.bad_xor_every, v, 0); }},
    {"--truncate-every",
     [](SimOptions& o, std::string_view v) { return TakeCount(o.faults.truncate_every, v, 0); }},
    {"--delay-every",
     [](SimOptions& o, std::string_view v) { return TakeCount(o.faults.delay_every, v, 0); }},
    {"--delay-ms",
     [](SimOptions& o, std::string_view v) { return TakeCount(o.faults.delay_ms, v, 0); }},
    {"--garbage-every",
     [](SimOptions& o, std::string_view v) { return TakeCount(o.faults.garbage_every, v, 0); }},
    {"--ecu-error",
     [](SimOptions& o, std::string_view v) {
       const auto errors = ParseEcuErrors(v);
       o.ecu_errors = errors.value_or(std::vector<EcuError>{});
       return errors.has_value();
     }},
    {"--bad-injector",
     [](SimOptions& o, std::string_view v) { return TakeCount(o.bad_injector, v, 1, 8); }},
    {"--silent-after",
     [](SimOptions& o, std::string_view v) { return TakeCount(o.faults.silent_after, v, 0); }},
    {"--silent-after-command",
     [](SimOptions& o, std::string_view v) {
       return ParseCommandSilence(v, o.faults.silent_after_command);
     }},
};

const OptionRule* RuleOf(std::string_view name) {
  for (const OptionRule& r : kOptionRules) {
    if (r.name == name) {
      return &r;
    }
  }
  return nullptr;
}

}  // namespace

std::string_view SimUsage() {
  return "usage: velmora-ecusim [--hw nex|3rd|2nd|blank] [--device PATH] [--root DIR] [--port N]\n"
         "       [--state FILE] [--baud N] [--proc-us N] [--slow-ms N] [--log] [--seed N]\n"
         "       [--record FILE] [--erase-ms N] [--restart-ms N]\n"
         "       [--power-loss-after-block N [--power-off-ms N]]\n"
         "       [--ecu-error CODE[:STATE][,CODE[:STATE]...]] [--bad-injector N]\n"
         "       [--drop-every N] [--bad-xor-every N] [--truncate-every N]\n"
         "       [--delay-every N --delay-ms M] [--garbage-every N] [--silent-after N]\n"
         "       [--silent-after-command CMD:N]\n"
         "       velmora-ecusim --help | --version\n";
}

std::optional<SimOptions> ParseSimOptions(std::span<const std::string_view> args,
                                          std::string& error) {
  SimOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view name = args[i];
    std::string_view value;
    const std::size_t eq = name.find('=');
    if (eq != std::string_view::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
    }
    if (name == "--log") {
      o.log = true;
      continue;
    }
    if (eq == std::string_view::npos) {
      if (i + 1 >= args.size()) {
        error = "missing value for " + std::string(name);
        return std::nullopt;
      }
      value = args[++i];
    }
    const OptionRule* rule = RuleOf(name);
    if (rule == nullptr || !rule->take(o, value)) {
      error = "bad option " + std::string(name) + " " + std::string(value);
      return std::nullopt;
    }
  }
  return o;
}

}  // namespace velmora::sim
