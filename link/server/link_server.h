#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "link/pipe_protocol.h"
#include "link/server/logger.h"
#include "link/server/port_directory.h"
#include "link/server/serial_port.h"
#include "platform/clock.h"

namespace velmora::link::server {

// Reply statuses the server answers with, chosen so that the workstation's
// payload rule passes exactly what each reply carries.
namespace reply_status {
inline constexpr std::uint8_t kDone = 0;       // whole payload (may be empty)
inline constexpr std::uint8_t kNotServed = 1;  // unknown or malformed request
inline constexpr std::uint8_t kNoAnswer = 4;   // empty: the workstation's error 3
inline constexpr std::uint8_t kEcuAnswer = 6;  // the whole ECU answer frame
inline constexpr std::uint8_t kPeriodic = 11;  // entry number and switch
inline constexpr std::uint8_t kSearch = 13;    // identification of the ECU found
}  // namespace reply_status

inline constexpr std::int64_t kDefaultEcuWaitUs = 1'000'000;

// The message handling of the link server, free of any real I/O: one request
// in, exactly one reply out.
class LinkServer {
 public:
  LinkServer(SerialOpener& opener, PortDirectory& ports, platform::Clock& clock, const Logger& log);

  [[nodiscard]] Bytes Handle(const ParsedRequest& request);
  // A malformed message still gets its one reply.
  [[nodiscard]] Bytes NotServed();
  [[nodiscard]] bool ExitRequested() const { return exit_requested_; }

  [[nodiscard]] std::int64_t EcuWaitUs() const { return ecu_wait_us_; }
  [[nodiscard]] const std::string& ClientName() const { return client_name_; }

 private:
  [[nodiscard]] Bytes Reply(std::uint8_t status, std::span<const std::uint8_t> payload = {});
  [[nodiscard]] Bytes OpenPort(std::span<const std::uint8_t> payload);
  [[nodiscard]] Bytes SendFrame(std::span<const std::uint8_t> frame);
  [[nodiscard]] Bytes SetEcuWait(std::span<const std::uint8_t> payload);
  [[nodiscard]] Bytes Periodic(std::span<const std::uint8_t> payload);
  [[nodiscard]] Bytes Search();

  // Opens the port behind `number`, tries each profile and keeps the port
  // open when the ECU identifies itself; the identification answer.
  [[nodiscard]] std::optional<Bytes> Connect(int number);
  // Asks the ECU on the open port for its identification.
  [[nodiscard]] std::optional<Bytes> Identify();
  void Close();

  SerialOpener& opener_;
  PortDirectory& ports_;
  platform::Clock& clock_;
  const Logger& log_;

  std::unique_ptr<SerialPort> port_;
  int open_number_ = -1;
  std::uint8_t link_state_ = 0;
  std::uint8_t parameter_ = 0;
  std::uint8_t port_byte_ = 0;
  std::int64_t ecu_wait_us_ = kDefaultEcuWaitUs;
  std::vector<LineSettings> profiles_;
  std::string client_name_;
  std::map<std::uint8_t, bool> periodic_;
  bool exit_requested_ = false;
};

}  // namespace velmora::link::server
