#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::link::server {

// The folder of the running executable (from /proc/self/exe), or nullopt.
[[nodiscard]] std::optional<std::string> ExecutableDir();

// The port registry the server shares with the other programs of its
// installation: the explicit root when one is given (option or VELMORA_ROOT),
// otherwise the parent of the executable's folder; the file lies below that
// installation's user-data root, resolved by the same rule they use.
[[nodiscard]] std::optional<std::string> RegistryFileFor(std::string_view explicit_root);

}  // namespace velmora::link::server
