#pragma once

#include <string>

namespace velmora::platform {

// What the environment says about where a user's own files go. An unset
// variable reads as empty.
struct UserEnvironment {
  std::string data_dir;       // VELMORA_DATA_DIR: the program's own override
  std::string xdg_data_home;  // XDG_DATA_HOME
  std::string home;           // HOME
};

[[nodiscard]] UserEnvironment ReadUserEnvironment();

}  // namespace velmora::platform
