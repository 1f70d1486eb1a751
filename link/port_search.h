#pragma once

#include <string>

#include "core/set_com.h"
#include "link/ecu_access.h"

namespace velmora::link {

// The result of a search that found no ECU.
inline constexpr int kNoPortFound = -1;

// Asks the link server to find the ECU (CercaPorta): a link reset, then for
// each connection profile of the second firmware list, from the first, the
// profile and a search. The first search that succeeds with a port above 0
// wins: its number is remembered in PortCom.ini and returned. A search
// abandoned by the session (stop button, time-out, closing) or finding
// nothing gives kNoPortFound.
[[nodiscard]] int CercaPorta(EcuAccess& ecu, const core::SetComConfig& config,
                             const std::string& port_com_file);

}  // namespace velmora::link
