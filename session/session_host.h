#pragma once

#include <string_view>

#include "core/bytes.h"
#include "link/port_discovery.h"

namespace velmora::session {

// Pictures of the connection indicator: the searching animation runs
// through the first five.
namespace indicator {
inline constexpr int kAnimationFrames = 5;
inline constexpr int kDisconnected = 5;
inline constexpr int kConnected = 6;
inline constexpr int kTicksPerChange = 6;  // of the 100 ms timer: 0.6 s
}  // namespace indicator

// How the main window is being closed.
enum class UnloadMode {
  kControlMenu,  // the user closed it
  kFromCode,     // the session unloads it after an exit request
  kSystem,       // the system is ending the program
};

// What the session asks of the main window. The window fills in what it
// has; every call has a do-nothing default, so a headless driver (the
// command line tool, tests) overrides only what it watches.
class SessionHost {
 public:
  virtual ~SessionHost() = default;

  virtual void ShowTitle(std::string_view /*text*/) {}
  // Status captions: "connecting on COMn", "connected", "reading" ...
  virtual void ShowCaption(std::string_view /*text*/) {}
  // A queued notice, shown by the user-interface timer.
  virtual void ShowNotice(std::string_view /*text*/) {}
  virtual void StateChanged(int /*from*/, int /*to*/) {}

  // Enables or disables the working pages together.
  virtual void EnablePages(bool /*enable*/) {}
  virtual void EnableTimer2(bool /*enable*/) {}
  virtual void SetBusyPointer(bool /*busy*/) {}
  virtual void ShowConnectionIndicator(int /*picture*/) {}
  // Dashboard, switch-over panel and, when open, the expert page.
  virtual void RefreshLiveViews() {}
  // The page with this identifier, after a write-list request changed it.
  virtual void RefreshPage(int /*page_id*/) {}
  virtual void RefreshObdPage() {}
  // After a map write (requests 11, 63, 62), whether it succeeded or not:
  // the pages of that map (0, 1 or 2) show it again and take edits again.
  virtual void MapWritten(int /*map*/, bool /*ok*/) {}
  // After the full read of a connection: the calibration image (maps, axes,
  // blocks) is new, so every map page reloads its headings and cells.
  virtual void CalibrationRead() {}
  // A request that writes image data was refused without a frame sent: the
  // image does not hold a complete read of the ECU (the box says so).
  virtual void RequestRefused(int /*code*/) {}
  // The pages show the disconnected state (values kept as last known).
  virtual void ShowDisconnected() {}
  virtual void ReloadSwitchOverLists() {}
  // The port selector after each discovery.
  virtual void ShowPorts(const link::PortListing& /*listing*/) {}

  // After each connect sequence that was not ended by a time-out.
  virtual void CheckFirmware(std::string_view /*start_address*/, const Bytes& /*identity*/) {}
  // One memory trace record (entry 21's answer).
  virtual void LoggaMEM10(const Bytes& /*answer*/) {}

  // The session wants the window gone: the window closes itself, which
  // brings it back to Session::QueryUnload with UnloadMode::kFromCode.
  virtual void Unload() {}
  // At the very end: the logger file, the other windows.
  virtual void CloseOtherWindows() {}
};

}  // namespace velmora::session
