#pragma once

#include <string>
#include <string_view>

#include "core/dictionary.h"

namespace velmora::session {

// The main window's texts, by their place after its dictionary marker.
namespace general_text {
inline constexpr std::string_view kMarker = "[Frm_Generale]";
inline constexpr int kNotConnected = 1;
inline constexpr int kLinkLost = 2;
inline constexpr int kConnectingOnPort = 3;  // followed by the COM number
inline constexpr int kSearching = 4;
inline constexpr int kConnected = 5;
inline constexpr int kBlankEcu = 6;
inline constexpr int kBlankEcuHint = 7;
inline constexpr int kSaveFailed = 8;
inline constexpr int kLoadFailed = 9;
inline constexpr int kWriteFailed = 10;
inline constexpr int kMapWriteFailed = 11;
inline constexpr int kAxesWriteFailed = 12;
inline constexpr int kReadFailed = 13;
inline constexpr int kOffline = 14;
inline constexpr int kReading = 15;
inline constexpr int kSaved = 16;
inline constexpr int kLoaded = 17;
// After the erase-refused text, which is entry 42 of the whole language.
inline constexpr int kImageNotRead = 42;
}  // namespace general_text

// The texts the session shows, in the chosen language. A dictionary without
// the main window's block leaves the English defaults in place.
struct SessionTexts {
  std::string not_connected = "ECU not connected - searching for the ECU...";
  std::string link_lost = "Connection to the ECU lost";
  std::string connecting_on_port = "Connecting to the ECU on port COM";
  std::string searching = "Searching for the ECU, please wait...";
  std::string connected = "ECU connected";
  std::string blank_ecu = "Blank ECU: no valid firmware found";
  std::string blank_ecu_hint = "Program the ECU from the firmware update page";
  std::string save_failed = "Saving the calibration failed";
  std::string load_failed = "Loading the calibration failed";
  std::string write_failed = "Writing the data to the ECU failed";
  std::string map_write_failed = "Writing the map to the ECU failed";
  std::string axes_write_failed = "Writing the map axes to the ECU failed";
  std::string read_failed = "Reading the ECU data failed";
  std::string offline = "Offline: working on the calibration file";
  std::string reading = "Reading the ECU data, please wait...";
  std::string saved = "Calibration saved";
  std::string loaded = "Calibration loaded into the ECU";
  // Why a map, axis or record write was refused.
  std::string image_not_read =
      "Nothing was written to the ECU: its data could not be read completely. Connect again to "
      "read them first.";
  std::string caption = "Velmora Workstation";  // message box caption: entry 0
};

[[nodiscard]] SessionTexts SessionTextsFrom(const core::ClsLingue& lingue);

}  // namespace velmora::session
