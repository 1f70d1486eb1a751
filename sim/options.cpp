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

}  // namespace

std::string_view SimUsage() {
  return "usage: velmora-ecusim [--hw nex|3rd|2nd|blank] [--device PATH] [--root DIR] [--port N]\n"
         "       [--state FILE] [--baud N] [--proc-us N] [--slow-ms N] [--log] [--seed N]\n"
         "       [--record FILE]\n"
         "       [--drop-every N] [--bad-xor-every N] [--truncate-every N]\n"
         "       [--delay-every N --delay-ms M] [--garbage-every N] [--silent-after N]\n";
}

std::optional<SimOptions> ParseSimOptions(std::span<const std::string_view> args,
                                          std::string& error) {
  SimOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view name = args[i];
    std::string_view value;
    bool has_value = false;
    if (const std::size_t eq = name.find('='); eq != std::string_view::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      has_value = true;
    }
    if (name == "--log") {
      o.log = true;
      continue;
    }
    if (!has_value) {
      if (i + 1 >= args.size()) {
        error = "missing value for " + std::string(name);
        return std::nullopt;
      }
      value = args[++i];
    }
    auto count = [&](long min, long max) { return ParseCount(value, min, max); };
    std::optional<long> n;
    bool ok = true;
    if (name == "--hw") {
      const auto hw = ParseHardware(value);
      ok = hw.has_value();
      o.hardware = hw.value_or(Hardware::kNex);
    } else if (name == "--device") {
      o.device = value;
      ok = !value.empty();
    } else if (name == "--root") {
      o.root = value;
      ok = !value.empty();
    } else if (name == "--record") {
      o.record_file = value;
      ok = !value.empty();
    } else if (name == "--state") {
      o.state_file = value;
      ok = !value.empty();
    } else if (name == "--port" && (n = count(0, 255))) {
      o.port = static_cast<int>(*n);
    } else if (name == "--baud" && (n = count(50, 4'000'000))) {
      o.baud = static_cast<int>(*n);
    } else if (name == "--proc-us" && (n = count(0, kMaxCount))) {
      o.proc_us = *n;
    } else if (name == "--slow-ms" && (n = count(0, kMaxCount))) {
      o.slow_ms = *n;
    } else if (name == "--seed" && (n = count(0, kMaxCount))) {
      o.seed = static_cast<std::uint64_t>(*n);
    } else if (name == "--drop-every" && (n = count(0, kMaxCount))) {
      o.faults.drop_every = *n;
    } else if (name == "--bad-xor-every" && (n = count(0, kMaxCount))) {
      o.faults.bad_xor_every = *n;
    } else if (name == "--truncate-every" && (n = count(0, kMaxCount))) {
      o.faults.truncate_every = *n;
    } else if (name == "--delay-every" && (n = count(0, kMaxCount))) {
      o.faults.delay_every = *n;
    } else if (name == "--delay-ms" && (n = count(0, kMaxCount))) {
      o.faults.delay_ms = *n;
    } else if (name == "--garbage-every" && (n = count(0, kMaxCount))) {
      o.faults.garbage_every = *n;
    } else if (name == "--silent-after" && (n = count(0, kMaxCount))) {
      o.faults.silent_after = *n;
    } else {
      ok = false;
    }
    if (!ok) {
      error = "bad option " + std::string(name) + " " + std::string(value);
      return std::nullopt;
    }
  }
  return o;
}

}  // namespace velmora::sim
