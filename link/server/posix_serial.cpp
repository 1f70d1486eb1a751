#include "link/server/posix_serial.h"

#include <fcntl.h>
#include <libserialport.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <utility>

#include "platform/posix/termios_speed.h"
#include "platform/unique_fd.h"

namespace velmora::link::server {
namespace {

using platform::UniqueFd;

constexpr int kMillisPerSecond = 1000;

// Owns a libserialport handle; closes it with the port.
struct SpPortDeleter {
  void operator()(sp_port* p) const {
    (void)sp_close(p);
    sp_free_port(p);
  }
};
using SpPortHandle = std::unique_ptr<sp_port, SpPortDeleter>;

IoResult ConfigureTermios(int fd, const LineSettings& s) {
  termios t{};
  const auto speed = platform::TermiosSpeed(s.baud);
  if (!speed || s.data_bits < 5 || s.data_bits > 8 || ::tcgetattr(fd, &t) != 0) {
    return IoResult::kError;
  }
  ::cfmakeraw(&t);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  t.c_cflag |= kSizes[s.data_bits - 5] | CLOCAL | CREAD;
  if (s.parity != 'N') {
    t.c_cflag |= PARENB;
  }
  if (s.parity == 'O') {
    t.c_cflag |= PARODD;
  }
  if (s.stop_bits == 2) {
    t.c_cflag |= CSTOPB;
  }
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  if (::cfsetispeed(&t, *speed) != 0 || ::cfsetospeed(&t, *speed) != 0 ||
      ::tcsetattr(fd, TCSANOW, &t) != 0) {
    return IoResult::kError;
  }
  return IoResult::kOk;
}

IoResult ConfigureSp(sp_port* p, const LineSettings& s) {
  const sp_parity parity = s.parity == 'E'   ? SP_PARITY_EVEN
                           : s.parity == 'O' ? SP_PARITY_ODD
                                             : SP_PARITY_NONE;
  if (sp_set_baudrate(p, s.baud) != SP_OK || sp_set_bits(p, s.data_bits) != SP_OK ||
      sp_set_parity(p, parity) != SP_OK || sp_set_stopbits(p, s.stop_bits) != SP_OK ||
      sp_set_flowcontrol(p, SP_FLOWCONTROL_NONE) != SP_OK) {
    return IoResult::kError;
  }
  return IoResult::kOk;
}

int PollMillis(std::int64_t timeout_us) {
  // Rounded up, so a wait never ends before its time and then spins.
  const std::int64_t ms = (timeout_us + kMillisPerSecond - 1) / kMillisPerSecond;
  return ms > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(ms);
}

// Reading and writing go through the descriptor in both cases: one poll()
// then one read(), with no sleeps in between.
class PosixSerialPort final : public SerialPort {
 public:
  PosixSerialPort(SpPortHandle sp, UniqueFd own_fd, int fd)
      : sp_(std::move(sp)), own_fd_(std::move(own_fd)), fd_(fd) {}

  IoResult Configure(const LineSettings& s) override {
    return sp_ ? ConfigureSp(sp_.get(), s) : ConfigureTermios(fd_, s);
  }

  IoResult DiscardInput() override {
    if (sp_) {
      return sp_flush(sp_.get(), SP_BUF_INPUT) == SP_OK ? IoResult::kOk : IoResult::kError;
    }
    return ::tcflush(fd_, TCIFLUSH) == 0 ? IoResult::kOk : IoResult::kError;
  }

  IoResult Write(std::span<const std::uint8_t> bytes) override {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + sent, bytes.size() - sent);
      if (n > 0) {
        sent += static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) {
        continue;
      }
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, kMillisPerSecond) <= 0 && errno != EINTR) {
          return IoResult::kError;
        }
        continue;
      }
      return errno == EIO ? IoResult::kClosed : IoResult::kError;
    }
    return IoResult::kOk;
  }

  ReadResult Read(std::span<std::uint8_t> buffer, std::int64_t timeout_us) override {
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, PollMillis(timeout_us));
    if (ready < 0) {
      return {errno == EINTR ? IoResult::kOk : IoResult::kError, 0};
    }
    if (ready == 0) {
      return {IoResult::kTimeout, 0};
    }
    const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
    if (n > 0) {
      return {IoResult::kOk, static_cast<std::size_t>(n)};
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
      return {IoResult::kOk, 0};
    }
    return {IoResult::kClosed, 0};
  }

 private:
  SpPortHandle sp_;
  UniqueFd own_fd_;
  int fd_;
};

OpenResult OpenWithLibserialport(const std::string& device) {
  sp_port* raw = nullptr;
  if (sp_get_port_by_name(device.c_str(), &raw) != SP_OK) {
    return {};
  }
  SpPortHandle handle(raw);
  if (sp_open(handle.get(), SP_MODE_READ_WRITE) != SP_OK) {
    // The deleter's sp_close on a port that is not open fails harmlessly.
    return {};
  }
  int fd = -1;
  if (sp_get_port_handle(handle.get(), &fd) != SP_OK || fd < 0) {
    return {};
  }
  // libserialport leaves the descriptor non-blocking; reads rely on poll().
  OpenResult r;
  r.result = IoResult::kOk;
  r.port = std::make_unique<PosixSerialPort>(std::move(handle), UniqueFd(), fd);
  return r;
}

OpenResult OpenWithTermios(const std::string& device) {
  UniqueFd fd(::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.Valid()) {
    OpenResult failed;
    failed.error = errno;
    return failed;
  }
  if (::isatty(fd.Get()) == 0) {
    return {};
  }
  const int raw = fd.Get();
  OpenResult r;
  r.result = IoResult::kOk;
  r.port = std::make_unique<PosixSerialPort>(SpPortHandle(), std::move(fd), raw);
  return r;
}

}  // namespace

OpenResult PosixSerialOpener::Open(const std::string& device) {
  OpenResult r = OpenWithLibserialport(device);
  if (r.result == IoResult::kOk) {
    return r;
  }
  return OpenWithTermios(device);
}

}  // namespace velmora::link::server
