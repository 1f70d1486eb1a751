#include "sim/ecu_line.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "platform/posix/termios_speed.h"

namespace velmora::sim {
namespace {

// Pacing follows --baud whatever the device is set to; a pseudo-terminal has
// no speed of its own, so an unusual rate just sets 115200.
speed_t SpeedOf(int baud) {
  return platform::TermiosSpeed(baud).value_or(B115200);
}

bool MakeRaw(int fd, int baud) {
  termios t{};
  if (::tcgetattr(fd, &t) != 0) {
    return false;
  }
  ::cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  return ::cfsetispeed(&t, SpeedOf(baud)) == 0 && ::cfsetospeed(&t, SpeedOf(baud)) == 0 &&
         ::tcsetattr(fd, TCSANOW, &t) == 0;
}

std::string Reason(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

std::optional<EcuLine> OpenPseudoTerminal(int baud, std::string& error) {
  EcuLine line;
  line.io.Reset(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
  if (!line.io.Valid() || ::grantpt(line.io.Get()) != 0 || ::unlockpt(line.io.Get()) != 0) {
    error = Reason("posix_openpt");
    return std::nullopt;
  }
  std::array<char, 128> name{};
  if (::ptsname_r(line.io.Get(), name.data(), name.size()) != 0) {
    error = Reason("ptsname");
    return std::nullopt;
  }
  line.path = name.data();
  line.keep_open.Reset(::open(line.path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
  if (!line.keep_open.Valid() || !MakeRaw(line.keep_open.Get(), baud)) {
    error = Reason(line.path.c_str());
    return std::nullopt;
  }
  // Writes never block: with nobody listening, answers are lost like on a wire.
  const int flags = ::fcntl(line.io.Get(), F_GETFL);
  if (flags < 0 || ::fcntl(line.io.Get(), F_SETFL, flags | O_NONBLOCK) != 0) {
    error = Reason("fcntl");
    return std::nullopt;
  }
  return line;
}

std::optional<EcuLine> OpenSerialDevice(const std::string& path, int baud, std::string& error) {
  EcuLine line;
  line.path = path;
  line.io.Reset(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!line.io.Valid() || !MakeRaw(line.io.Get(), baud)) {
    error = Reason(path.c_str());
    return std::nullopt;
  }
  return line;
}

}  // namespace velmora::sim
