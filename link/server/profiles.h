#pragma once

#include <string_view>
#include <vector>

#include "link/server/serial_port.h"

namespace velmora::link::server {

// Connection profiles as the workstation sends them: each introduced by "//",
// such as "//115200,8N1//57600,8N1". A bare baud rate means 8N1. Profiles that
// cannot be understood are left out; none at all gives the single default
// profile, so a connection attempt always has something to try.
[[nodiscard]] std::vector<LineSettings> ParseProfiles(std::string_view text);

[[nodiscard]] std::vector<LineSettings> DefaultProfiles();

}  // namespace velmora::link::server
