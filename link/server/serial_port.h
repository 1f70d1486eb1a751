#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace velmora::link::server {

// One connection profile: the line settings the server may reach the ECU with.
struct LineSettings {
  int baud = 115200;
  int data_bits = 8;
  char parity = 'N';  // 'N', 'E' or 'O'
  int stop_bits = 1;
  friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

enum class IoResult {
  kOk,
  kTimeout,
  kClosed,  // the other end went away
  kError,
};

struct ReadResult {
  IoResult result = IoResult::kError;
  std::size_t count = 0;  // may be 0 with kOk when a signal cut the wait short
};

// A serial line as the server's core sees it. Implementations never sleep
// beyond the time-out they are given.
class SerialPort {
 public:
  virtual ~SerialPort() = default;
  [[nodiscard]] virtual IoResult Configure(const LineSettings& settings) = 0;
  // Drops whatever arrived and was not read: late answers of earlier requests.
  [[nodiscard]] virtual IoResult DiscardInput() = 0;
  [[nodiscard]] virtual IoResult Write(std::span<const std::uint8_t> bytes) = 0;
  // Waits at most `timeout_us` for input, then returns what is there.
  [[nodiscard]] virtual ReadResult Read(std::span<std::uint8_t> buffer,
                                        std::int64_t timeout_us) = 0;
};

struct OpenResult {
  IoResult result = IoResult::kError;
  std::unique_ptr<SerialPort> port;
  int error = 0;  // the system's error number of a failed open, when known
};

class SerialOpener {
 public:
  virtual ~SerialOpener() = default;
  [[nodiscard]] virtual OpenResult Open(const std::string& device) = 0;
};

}  // namespace velmora::link::server
