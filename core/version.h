#pragma once

#include <string>

namespace velmora::core {

inline constexpr const char* kProductTitle = "Velmora Workstation";

// " major.minor.revision - 18/09/2019 *** BETA VERSION *** ", appended to
// captions that show the version.
[[nodiscard]] std::string VersionText();

}  // namespace velmora::core
