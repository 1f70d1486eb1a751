#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/bytes.h"
#include "link/message_table.h"

namespace velmora::pages {

// What the connection page says about the ECU in hand. Empty texts show as
// a dash.
struct EcuSummary {
  std::string identification;
  std::string version;
  std::string hardware;
  int port = -1;
  std::optional<std::int32_t> switch_over_c;
};

// From the identity answer (entry 0), the hardware generation (-1 unknown),
// the connected port and, when block 3 has been read, the switch-over
// temperature. An answer too short to carry an identification leaves the
// identification and the version empty.
[[nodiscard]] EcuSummary MakeEcuSummary(const Bytes& identity, int generation, int port,
                                        std::optional<std::int32_t> switch_over_c);

// The summary from what the table last read. The generation and the port
// belong to a connection: they show only while `connected`.
[[nodiscard]] EcuSummary EcuSummaryOf(const link::MessageTable& table, bool connected,
                                      int generation, int port);

}  // namespace velmora::pages
