#pragma once

#include <string_view>

namespace velmora::pages {

// Texts of the main window's own block, relative to its marker; the page
// names it shares with the rest of the program stay in "[Frm_Generale]".
namespace main_text {
inline constexpr std::string_view kMarker = "[Frm_Main]";
inline constexpr int kConnection = 1;
inline constexpr int kFileMenu = 2;
inline constexpr int kPagesMenu = 3;
inline constexpr int kEcuMenu = 4;
inline constexpr int kSwitchOverAction = 5;
inline constexpr int kPollsPerSecond = 6;
inline constexpr int kPort = 7;
inline constexpr int kSwitchOver = 8;
inline constexpr int kChange = 9;
inline constexpr int kIdentification = 10;
inline constexpr int kVersion = 11;
inline constexpr int kHardware = 12;
inline constexpr int kBusy = 13;
inline constexpr int kCount = 14;
}  // namespace main_text

// Texts of "[Frm_Generale]" the main window shows.
namespace generale_window_text {
inline constexpr std::string_view kMarker = "[Frm_Generale]";
inline constexpr int kConnect = 20;
inline constexpr int kDisconnect = 21;
inline constexpr int kNavStatus = 30;
inline constexpr int kNavLanguage = 31;
inline constexpr int kLanguageLabel = 32;
inline constexpr int kExit = 38;
}  // namespace generale_window_text

}  // namespace velmora::pages
