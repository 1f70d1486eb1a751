#include "link/slow_command.h"

#include "link/ecu_frame.h"

namespace velmora::link {

int RunSlowCommand(EcuAccess& ecu, std::span<const std::uint8_t> frame,
                   const std::function<int()>& read_entry5) {
  return WithLongOperationParameter(ecu, ParameterRestore::kOnEveryPath, [&] {
    int code = ecu.InviaComando(frame);
    if (code == kOk) {
      code = ecu.SetEcuWait(true);
    }
    if (code == kOk) {
      code = ecu.Command(cmd::kSlow, {});
    }
    if (code == kOk) {
      code = ecu.SetEcuWait(false);
    }
    if (code == kOk && read_entry5) {
      code = read_entry5();
    }
    return code;
  });
}

}  // namespace velmora::link
