#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::link::server {

// The folder of the running executable (from /proc/self/exe), or nullopt.
[[nodiscard]] std::optional<std::string> ExecutableDir();

// The bin folder whose port registry the server uses: below an explicit
// installation root when one is given (option or VELMORA_ROOT), otherwise the
// folder the executable sits in.
[[nodiscard]] std::optional<std::string> BinDirFor(std::string_view explicit_root);

}  // namespace velmora::link::server
