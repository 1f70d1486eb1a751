#pragma once

#include <termios.h>

#include <optional>

namespace velmora::platform {

// The termios speed constant of a baud rate; nullopt for a rate termios has
// no constant for.
[[nodiscard]] std::optional<speed_t> TermiosSpeed(int baud);

}  // namespace velmora::platform
