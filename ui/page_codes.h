#pragma once

#include <array>

#include "session/request_codes.h"

namespace velmora::ui {

// The codes SelezioneScheda takes. The main menu page is the one the
// session refreshes after its writes; the workstation's own pages take
// codes no page of the ECU uses.
namespace page_code {
inline constexpr int kMainMenu = session::page_id::kMainMenu;  // status and dashboard
inline constexpr int kLanguage = 1;
inline constexpr int kConnection = 2;
// The map pages: grid views, then the carburation (simplified) views.
inline constexpr int kBaseMap = 12;
inline constexpr int kAdaptiveMap = 47;
inline constexpr int kPressureMap = 49;
inline constexpr int kBaseCarburation = 27;
inline constexpr int kAdaptiveCarburation = 48;
inline constexpr int kPressureCarburation = 50;
}  // namespace page_code

// The pages in the order of the navigation list. A map's entry opens the
// view its flag in the ECU chooses, grid or carburation.
inline constexpr std::array<int, 6> kNavigationPages = {
    page_code::kMainMenu, page_code::kLanguage,    page_code::kConnection,
    page_code::kBaseMap,  page_code::kAdaptiveMap, page_code::kPressureMap};
// The pages before the maps, in the navigation list and in the page stack.
inline constexpr int kFixedPages = 3;

}  // namespace velmora::ui
