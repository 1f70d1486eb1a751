#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/bytes.h"
#include "core/session_flags.h"
#include "core/set_com.h"
#include "link/ecu_access.h"
#include "link/ecu_identity.h"
#include "link/message_table.h"
#include "link/serial_access.h"
#include "platform/message_box.h"
#include "platform/serial_enumerator.h"
#include "session/session_host.h"
#include "session/session_texts.h"

namespace velmora::session {

namespace connect_timing {
// Failed attempts on a scanned port list before the ports are listed again.
inline constexpr int kAttemptsBeforeRediscovery = 5;
// The link settles after it was prepared for the identified ECU.
inline constexpr std::int64_t kSettleUs = 500'000;
// Between two failed attempts, so a port that fails at once does not keep
// the link server and the processor busy; events keep flowing meanwhile.
inline constexpr std::int64_t kRetryPauseUs = 200'000;
}  // namespace connect_timing

struct ConnectEnv {
  link::EcuAccess& ecu;
  link::MessageTable& table;
  core::SessionFlags& flags;
  platform::SerialEnumerator& enumerator;
  platform::MessageBox& box;
  SessionHost& host;
  const core::SetComConfig& set_com;
  const SessionTexts& texts;
  std::string port_com_file;
  std::string registry_file;
  // Out: the remembered port the sequence found in PortCom.ini.
  std::optional<int> remembered;
  // Tells the user of ports they may not open; none: nobody is told.
  link::SerialAccessNotice* access_notice = nullptr;
};

struct ConnectOutcome {
  int port = -1;
  link::IdentityMatch match;
  Bytes identity;  // the answer to message 3
};

// The connect-and-identify sequence: link reset, the link server's plain ECU
// wait (message 8), port list, then attempts on the remembered port (kept for
// good) or on each listed port in turn until an identity answer matches the first firmware list.
// Ends without a result when the user stops the search (timeout flag), the program is to close
// (exit-request flag) or a new connection was asked for (ECU-lost flag).
// After a match the link is prepared again, settles, and the matched entry's
// request goes to the ECU; its answer becomes entry 0's.
[[nodiscard]] std::optional<ConnectOutcome> ConnectAndIdentify(ConnectEnv& env);

}  // namespace velmora::session
