#include "sim/commands.h"

namespace velmora::sim {

void RegisterAllCommands(CommandTable& table, EcuMemory& memory, const SimSetup& setup) {
  RegisterIdentification(table, memory, setup);
  RegisterBanks(table, memory, setup);
  RegisterTuningTables(table, memory, setup);
  RegisterBlocks(table, memory, setup);
  RegisterSlowCommand(table, memory, setup);
  RegisterFinishCommands(table, memory, setup);
  RegisterDataBlocks(table, memory, setup);
  RegisterAxisTables(table, memory, setup);
  RegisterLiveData(table, memory, setup);
  RegisterTuningModel(table, memory, setup);
  RegisterFlash(table, memory, setup);
  RegisterDiagnostics(table, memory, setup);
  RegisterSequenceAcquisition(table, memory, setup);
}

}  // namespace velmora::sim
