#include "link/slow_command.h"

#include "link/ecu_frame.h"

namespace velmora::link {

int SequenzaComandoLento(EcuAccess& ecu, std::span<const std::uint8_t> frame,
                         const std::function<int()>& read_entry5) {
  return WithLongOperationParameter(ecu, ParameterRestore::kOnEveryPath, [&] {
    int code = ecu.InviaComando(frame);
    if (code == kOk) {
      code = ecu.ImpostaAttesaEcu(true);
    }
    if (code == kOk) {
      code = ecu.Comando(cmd::kSlow, {});
    }
    if (code == kOk) {
      code = ecu.ImpostaAttesaEcu(false);
    }
    if (code == kOk && read_entry5) {
      code = read_entry5();
    }
    return code;
  });
}

}  // namespace velmora::link
