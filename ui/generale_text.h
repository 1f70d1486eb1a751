#pragma once

namespace velmora::ui {

// Texts of the main window's block used by the connection windows, relative
// to its marker.
namespace generale_text {
inline constexpr const char* kMarker = "[Frm_Generale]";
inline constexpr int kSearching = 1;
inline constexpr int kLinkLost = 2;
inline constexpr int kConnectingOnPort = 3;  // followed by the COM number
inline constexpr int kSearchingWait = 4;
inline constexpr int kConnected = 5;
inline constexpr int kBlankEcu = 6;
inline constexpr int kConnect = 20;
inline constexpr int kDisconnect = 21;
}  // namespace generale_text

}  // namespace velmora::ui
