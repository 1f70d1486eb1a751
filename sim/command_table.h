#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "core/bytes.h"
#include "sim/ecu_memory.h"

namespace velmora::sim {

// Result bytes of the virtual ECU's answers.
namespace result {
inline constexpr std::uint8_t kOk = 0x00;
inline constexpr std::uint8_t kUnknownCommand = 0x01;
inline constexpr std::uint8_t kBadData = 0x02;  // wrong length, address out of range
}  // namespace result

struct EcuRequest {
  std::uint8_t command = 0;
  std::span<const std::uint8_t> data;
};

struct EcuAnswer {
  std::uint8_t result = result::kOk;
  Bytes data;                   // after the result byte
  std::int64_t busy_us = 0;     // extra working time before the answer
  bool memory_changed = false;  // the state file must be saved
  bool silent = false;          // no answer at all (the ECU is off or restarting)
};

using CommandHandler = std::function<EcuAnswer(const EcuRequest&, EcuMemory&)>;
// Looks at every request before its handler: an answer of its own, or
// nullopt to let the handler answer.
using CommandGate = std::function<std::optional<EcuAnswer>(const EcuRequest&, EcuMemory&)>;

// Command code to handler; each command family registers itself from its own
// file.
class CommandTable {
 public:
  void Add(std::uint8_t command, CommandHandler handler) {
    handlers_[command] = std::move(handler);
  }
  [[nodiscard]] const CommandHandler* Find(std::uint8_t command) const {
    const CommandHandler& h = handlers_[command];
    return h ? &h : nullptr;
  }
  // One gate for the whole table (the boot loader: silent while the ECU
  // restarts, only its own commands while the flash holds no firmware).
  void SetGate(CommandGate gate) { gate_ = std::move(gate); }
  [[nodiscard]] std::optional<EcuAnswer> Gate(const EcuRequest& request, EcuMemory& memory) const {
    return gate_ ? gate_(request, memory) : std::nullopt;
  }

 private:
  std::array<CommandHandler, 256> handlers_{};
  CommandGate gate_;
};

[[nodiscard]] inline EcuAnswer Ok(Bytes data = {}) {
  return EcuAnswer{result::kOk, std::move(data)};
}
[[nodiscard]] inline EcuAnswer Written() {
  EcuAnswer a;
  a.memory_changed = true;
  return a;
}
[[nodiscard]] inline EcuAnswer Refused(std::uint8_t code = result::kBadData) {
  return EcuAnswer{code, {}};
}

}  // namespace velmora::sim
