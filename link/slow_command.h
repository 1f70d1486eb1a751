#pragma once

#include <functional>
#include <span>

#include "link/ecu_access.h"

namespace velmora::link {

// A command after which the ECU works for a long time (0x15 and friends).
// Under the link parameter wrap: the caller's frame, the long ECU wait,
// command 0x15, the plain wait again, then `read_entry5` (the caller reads
// message-table entry 5). Each step runs only when the ones before it
// succeeded; the parameter is restored on every path, and the first failure
// (or the restore's own) is the result.
[[nodiscard]] int RunSlowCommand(EcuAccess& ecu, std::span<const std::uint8_t> frame,
                                 const std::function<int()>& read_entry5);

}  // namespace velmora::link
