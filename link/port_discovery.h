#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/session_flags.h"
#include "platform/message_box.h"
#include "platform/serial_enumerator.h"
#include "platform/sys_io.h"

namespace velmora::link {

enum class PortKind : int { kUsb = 0, kCom = 1, kBluetooth = 2 };

// A port of the port list; number 0 is the direct USB connection.
struct PortRecord {
  std::int32_t number = 0;
  PortKind kind = PortKind::kCom;
  friend bool operator==(const PortRecord&, const PortRecord&) = default;
};

// The texts of the port selector and of the discovery's messages.
namespace port_text {
inline constexpr std::string_view kSelectorText = " - - - - - ";
inline constexpr std::string_view kUsbLine = "USB";
inline constexpr std::string_view kComPrefix = "COM";
inline constexpr std::string_view kBluetoothSuffix = " BT";
inline constexpr std::string_view kGuidError = "Error Finding 'Ports' GUID";
inline constexpr std::string_view kListError = "Error Getting Device List";
}  // namespace port_text

// The list offered when the ports cannot be listed: COM0 to COM60.
inline constexpr int kFallbackLastPort = 60;

// What the connection page's port selector shows: its text and one line per
// port record, in list order.
struct PortSelector {
  std::string text;
  std::vector<std::string> lines;
};

struct PortListing {
  std::vector<PortRecord> ports;
  PortSelector selector;
  bool fallback = false;  // the ports could not be listed: COM0..COM60
  // Listed devices this user may not open (see SerialAccessNotice).
  std::vector<std::string> refused_devices;
};

// "USB", "COM12" or "COM5 BT".
[[nodiscard]] std::string SelectorLine(const PortRecord& port);

// Lists the ports (ElencaPorte): the direct USB connection first, then every
// serial port of the "Ports" class in the order the system reports them,
// Bluetooth ones marked as such. When the class or its devices cannot be
// listed, a critical box says so and COM0..COM60 are offered instead. Only
// numbers the one-byte port field can carry (1..255) are listed. The
// registry and the devices' permissions are checked through `io`.
[[nodiscard]] PortListing ElencaPorte(platform::SerialEnumerator& enumerator,
                                      const std::string& registry_file, platform::MessageBox& box,
                                      platform::SysIo& io = platform::PosixSysIo());

// The position of a port number in the list.
[[nodiscard]] std::optional<std::size_t> FindPort(const std::vector<PortRecord>& ports,
                                                  std::int32_t number);

// The user picks selector line `line`: its port is remembered in PortCom.ini
// and the session is told to connect again. False, with nothing changed,
// when the line does not exist or the file cannot be written.
[[nodiscard]] bool SelectPort(const PortListing& listing, std::size_t line,
                              const std::string& port_com_file, core::SessionFlags& flags);

// The connection page's connection picture: reconnects a disconnected
// session, disconnects one that is searching or connected.
void ToggleConnection(core::SessionFlags& flags);

}  // namespace velmora::link
