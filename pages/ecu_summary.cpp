#include "pages/ecu_summary.h"

#include "core/hex.h"
#include "core/text.h"
#include "link/ecu_identity.h"
#include "pages/switch_over_setting.h"
#include "session/session.h"

namespace velmora::pages {

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

EcuSummary EcuSummaryOf(const link::MessageTable& table, bool connected, int generation, int port) {
  namespace sw = switch_over_setting;
  const bool read = !table.LastAnswer(sw::kEntry).empty();
  return MakeEcuSummary(
      table.LastAnswer(session::session_entry::kIdentity), connected ? generation : -1,
      connected ? port : -1,
      read ? std::optional<std::int32_t>(table.Value(sw::kEntry, sw::kField)) : std::nullopt);
}

}  // namespace velmora::pages
