#include "link/ecu_frame.h"
#include "sim/commands.h"

namespace velmora::sim {

void RegisterIdentification(CommandTable& table, EcuMemory& /*memory*/, const SimSetup& setup) {
  const Bytes ident = IdentificationData(setup.hardware);
  table.Add(link::cmd::kIdentify, [ident](const EcuRequest&, EcuMemory&) { return Ok(ident); });
}

}  // namespace velmora::sim
