#include "platform/os_info.h"

#include <sys/utsname.h>

#include <clocale>
#include <cstdio>

namespace velmora::platform {

OsRecord QueryOsRecord() {
  OsRecord rec;
  // Not one of the old Windows family: the process list and shaped windows
  // are always available here.
  rec.platform_id = 2;
  rec.name = "Linux";
  utsname u{};
  if (::uname(&u) == 0) {
    rec.name = u.sysname;
    int major = 0;
    int minor = 0;
    int patch = 0;
    if (std::sscanf(u.release, "%d.%d.%d", &major, &minor, &patch) >= 2) {
      rec.version = std::to_string(major) + "." + std::to_string(minor);
      rec.build = patch;
    }
    rec.service_pack = u.version;
  }
  return rec;
}

char QueryDecimalSeparator() {
  // The user's locale, without changing the process locale for everyone else.
  const char* saved = std::setlocale(LC_NUMERIC, nullptr);
  std::string restore = saved != nullptr ? saved : "C";
  char sep = '.';
  if (std::setlocale(LC_NUMERIC, "") != nullptr) {
    const lconv* lc = std::localeconv();
    if (lc != nullptr && lc->decimal_point != nullptr && lc->decimal_point[0] != '\0') {
      sep = lc->decimal_point[0];
    }
  }
  std::setlocale(LC_NUMERIC, restore.c_str());
  return sep;
}

}  // namespace velmora::platform
