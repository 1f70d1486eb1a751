#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/message_box.h"
#include "platform/sys_io.h"

namespace velmora::link {

namespace access_text {
inline constexpr std::string_view kCaption = "Serial port access";
inline constexpr std::string_view kIntro = "This user may not open the serial port ";
inline constexpr std::string_view kIntroMany = "This user may not open the serial ports ";
inline constexpr std::string_view kFix =
    ".\n\nSerial ports belong to the group dialout. Add your user to it once:\n\n"
    "    sudo usermod -aG dialout $USER\n\n"
    "then log out and log in again.";
}  // namespace access_text

// True when the device is there but this user may not open it for reading
// and writing (EACCES, EPERM). A missing or busy device is not refused: it
// has causes of its own.
[[nodiscard]] bool AccessRefused(platform::SysIo& io, const std::string& device);

// The message naming the refused devices and the remedy.
[[nodiscard]] std::string AccessRefusedText(const std::vector<std::string>& devices);

// Tells the user which serial devices they may not open, once per device
// for the whole run: the port list is made again at every connection
// attempt, and the remedy needs a new login anyway.
class SerialAccessNotice {
 public:
  // One information box for the devices of `refused` not named before.
  void Tell(const std::vector<std::string>& refused, platform::MessageBox& box);

 private:
  std::vector<std::string> told_;
};

}  // namespace velmora::link
