#pragma once

#include "session/request_codes.h"

namespace velmora::pages {

// The codes SelezioneScheda takes for the workstation's own pages. The main
// menu page is one the session refreshes after its writes; the language and
// connection pages take codes no page of the ECU uses. The map pages' codes
// are their maps' (maps::InfoOfMap).
namespace page_code {
inline constexpr int kMainMenu = session::page_id::kMainMenu;  // status and dashboard
inline constexpr int kLanguage = 1;
inline constexpr int kConnection = 2;
// The configuration pages the ECU's own page numbers leave unnamed.
inline constexpr int kCompensation = 71;
inline constexpr int kSwitchOver = 72;
}  // namespace page_code

}  // namespace velmora::pages
