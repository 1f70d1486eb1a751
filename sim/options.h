#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/ecu_errors.h"
#include "sim/fault_injector.h"
#include "sim/hardware.h"

namespace velmora::sim {

struct SimOptions {
  Hardware hardware = Hardware::kNex;
  std::string device;      // empty: a new pseudo-terminal
  std::string root;        // empty: the installation the executable sits in
  int port = -1;           // requested port number; -1: the lowest free one
  std::string state_file;  // empty: memory lives only as long as the process
  int baud = 115200;
  std::int64_t proc_us = 300;
  std::int64_t slow_ms = 1500;
  bool log = false;
  std::string record_file;  // empty: the requests received are not kept
  std::uint64_t seed = 1;   // the engine model's noise and throttle blips
  // The boot loader: the erase's working time, the silence of a restart
  // after programming, a power cut after the N-th block write (0: none) and
  // how long the power stays off.
  std::int64_t erase_ms = 1400;
  std::int64_t restart_ms = 2000;
  long power_loss_after_block = 0;
  std::int64_t power_off_ms = 1000;
  FaultOptions faults;
  std::vector<EcuError> ecu_errors{};  // --ecu-error: present from the start
  int bad_injector = 0;                // --bad-injector: never comes into tolerance
};

// The command line without the program name. On a bad option: nullopt and a
// one-line reason in `error`.
[[nodiscard]] std::optional<SimOptions> ParseSimOptions(std::span<const std::string_view> args,
                                                        std::string& error);

[[nodiscard]] std::string_view SimUsage();

}  // namespace velmora::sim
