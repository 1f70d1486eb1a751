#include "ui/ecu_summary.h"

#include "core/hex.h"
#include "core/text.h"
#include "link/ecu_identity.h"

namespace velmora::ui {

EcuSummary MakeEcuSummary(const Bytes& identity, int generation, int port,
                          std::optional<std::int32_t> switch_over_c) {
  EcuSummary s;
  if (const auto id = link::ParseIdentification(identity)) {
    // The text is sent padded, and may carry control bytes from a damaged
    // answer: only what prints is shown.
    std::string printable;
    for (const char c : id->text) {
      printable += (c >= ' ' && c <= '~') ? c : ' ';
    }
    s.identification = std::string(core::Trim(printable));
    s.version = core::DataVersioneEcu(id->version);
  }
  if (generation >= 0) {
    s.hardware = link::GenerationName(generation);
  }
  s.port = port;
  s.switch_over_c = switch_over_c;
  return s;
}

}  // namespace velmora::ui
