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
}  // namespace page_code

}  // namespace velmora::pages
