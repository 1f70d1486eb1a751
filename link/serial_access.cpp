#include "link/serial_access.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace velmora::link {

bool AccessRefused(platform::SysIo& io, const std::string& device) {
  const platform::IoResult r = io.Access(device.c_str(), R_OK | W_OK);
  return r.value < 0 && (r.error == EACCES || r.error == EPERM);
}

std::string AccessRefusedText(const std::vector<std::string>& devices) {
  std::string names;
  for (std::size_t i = 0; i < devices.size(); ++i) {
    names += (i == 0 ? "" : i + 1 == devices.size() ? " and " : ", ") + devices[i];
  }
  return std::string(devices.size() == 1 ? access_text::kIntro : access_text::kIntroMany) + names +
         std::string(access_text::kFix);
}

void SerialAccessNotice::Tell(const std::vector<std::string>& refused, platform::MessageBox& box) {
  std::vector<std::string> fresh;
  for (const std::string& device : refused) {
    if (std::find(told_.begin(), told_.end(), device) == told_.end()) {
      told_.push_back(device);
      fresh.push_back(device);
    }
  }
  if (!fresh.empty()) {
    box.Show(AccessRefusedText(fresh), access_text::kCaption, platform::BoxKind::Exclamation);
  }
}

}  // namespace velmora::link
