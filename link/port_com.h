#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::link {

// The remembered port (bin/PortCom.ini): one line holding a COM number.

// The first line, blanks at its ends removed, when it is a whole number the
// port byte can carry (0..255); anything else remembers no port.
[[nodiscard]] std::optional<int> ReadRememberedPort(const std::string& port_com_file);
// The same over the file's text.
[[nodiscard]] std::optional<int> ParseRememberedPort(std::string_view text);

// Replaces the file by the one line `number` (written aside and renamed, so a
// reader never sees half a file). False when it could not be written or the
// number is outside 0..255.
[[nodiscard]] bool WriteRememberedPort(const std::string& port_com_file, int number);

}  // namespace velmora::link
