#pragma once

#include <array>

#include "core/session/request_codes.h"

namespace velmora::ui {

// The codes SelezioneScheda takes. The main menu page is the one the
// session refreshes after its writes; the workstation's own pages take
// codes no page of the ECU uses.
namespace page_code {
inline constexpr int kMainMenu = session::page_id::kMainMenu;  // status and dashboard
inline constexpr int kLanguage = 1;
inline constexpr int kConnection = 2;
}  // namespace page_code

// The pages in the order of the navigation list.
inline constexpr std::array<int, 3> kNavigationPages = {page_code::kMainMenu, page_code::kLanguage,
                                                        page_code::kConnection};

}  // namespace velmora::ui
