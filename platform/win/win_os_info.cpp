#include <string>

#include "platform/os_info.h"
#include "platform/win/win_handles.h"

namespace velmora::platform {

OsRecord QueryOsRecord() {
  OsRecord rec;
  rec.platform_id = VER_PLATFORM_WIN32_NT;
  rec.name = "Windows";
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const bool known = GetVersionExA(&info) != 0;
#pragma GCC diagnostic pop
  if (known) {
    rec.platform_id = static_cast<int>(info.dwPlatformId);
    rec.version = std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion);
    rec.build = static_cast<int>(info.dwBuildNumber);
    rec.service_pack = info.szCSDVersion;
  }
  return rec;
}

char QueryDecimalSeparator() {
  char sep[4] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, sep, sizeof sep) > 0 && sep[0] != 0) {
    return sep[0];
  }
  return '.';
}

}  // namespace velmora::platform
