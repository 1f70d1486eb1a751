#include "link/ecu_frame.h"
#include "sim/commands.h"

namespace velmora::sim {

void RegisterSlowCommand(CommandTable& table, EcuMemory& /*memory*/, const SimSetup& setup) {
  const std::int64_t busy = setup.slow_command_us;
  table.Add(link::cmd::kSlow, [busy](const EcuRequest&, EcuMemory&) {
    EcuAnswer a = Ok();
    a.busy_us = busy;
    return a;
  });
}

}  // namespace velmora::sim
