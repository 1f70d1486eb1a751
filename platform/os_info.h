#pragma once

#include <string>

namespace velmora::platform {

// What the system knows of the operating system it runs on.
struct OsRecord {
  int platform_id = 0;
  std::string name;
  std::string version;  // "major.minor"
  std::string service_pack;
  int build = 0;
};

[[nodiscard]] OsRecord QueryOsRecord();

// The decimal separator of the user's locale, read once at start-up.
[[nodiscard]] char QueryDecimalSeparator();

}  // namespace velmora::platform
