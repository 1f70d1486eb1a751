#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "core/bytes.h"
#include "core/set_com.h"
#include "link/pipe_channel.h"

namespace velmora::link {

// A request that could not be built (bad hexadecimal text, too much data,
// a record of the wrong size): nothing was sent.
inline constexpr int kInvalidRequest = 5;

// Complete frames kept under the names the traffic trace uses.
inline constexpr std::string_view kCmdReadMem1 = "4102032161";
inline constexpr std::string_view kCmdReadObdData = "4102034404";

// The text a custom command gives when its exchange failed.
inline constexpr std::string_view kCustomError = " ** ERROR ** ";

// The link parameter value the multi-frame operations run under.
inline constexpr std::uint8_t kLongOperationParameter = 2;

// The link's waits, from SetCom.ini.
struct LinkTimes {
  std::int64_t pipe_us = 0;            // one reply on the pipe
  std::int64_t global_us = 0;          // the link server's own wait per ECU answer
  std::int32_t global_multiplier = 0;  // applied to it during long operations
};

[[nodiscard]] LinkTimes TimesFromSetCom(const core::SetComConfig& config);

// Message 8's payload: the wait in milliseconds, low byte first, then two
// zero bytes. The field holds 16 bits, so longer waits are sent as 65535 ms.
[[nodiscard]] Bytes EcuWaitPayload(std::int64_t global_us, std::int64_t multiplier);

struct CustomAnswer {
  std::string text;  // upper-case hexadecimal answer, or kCustomError
  int code = 0;
};

// ECU commands over the pipe channel. Holds no state of its own beyond the
// channel and its waits; the last answer is the channel's last reply.
class EcuAccess {
 public:
  EcuAccess(ModPipe& pipe, LinkTimes times) : pipe_(pipe), times_(times) {}

  // One pipe message with the reply time-out.
  [[nodiscard]] int Message(MsgType type, std::span<const std::uint8_t> payload,
                            Bytes* reply = nullptr);

  // Sends a complete frame as message 6; `answer` receives the ECU's answer.
  [[nodiscard]] int InviaComando(std::span<const std::uint8_t> frame, Bytes* answer = nullptr);

  // Builds the request frame for `command` and sends it.
  [[nodiscard]] int Command(std::uint8_t command, std::span<const std::uint8_t> data,
                            Bytes* answer = nullptr);

  // A frame typed as hexadecimal text (check byte included). Text that is
  // not hexadecimal is not sent: kCustomError with kInvalidRequest.
  [[nodiscard]] CustomAnswer InviaComandoCustom(std::string_view hex);

  // Message 4.
  [[nodiscard]] int SetParameter(std::uint8_t value);
  // Message 8 with the plain global wait, or multiplied for long operations.
  [[nodiscard]] int SetEcuWait(bool long_operation);

  // The link parameter echoed by the last reply.
  [[nodiscard]] std::uint8_t CurrentParameter() const { return pipe_.Last().header.parameter; }

  [[nodiscard]] ModPipe& Pipe() { return pipe_; }
  [[nodiscard]] const LinkTimes& Times() const { return times_; }

 private:
  ModPipe& pipe_;
  LinkTimes times_;
};

// When a long operation sends the remembered link parameter back.
enum class ParameterRestore {
  // Bank and table transfers: after a failed frame the parameter stays at 2
  // until the session resets the link.
  kAfterSuccess,
  // The slow-command sequence: on every path.
  kOnEveryPath,
  // Write lists: on every path but a link that did not answer at all, which
  // would only wait out another time-out.
  kUnlessNoAnswer,
};

// Message 4 with the value long operations run under.
[[nodiscard]] int SetLongOperationParameter(EcuAccess& ecu);

// The link parameter wrap of every multi-frame operation: remembers the
// parameter the last reply echoed, sets kLongOperationParameter, runs `body`
// when that succeeded and sends the remembered value back as `restore` says.
// The result is the first failure's code, or the restore's.
[[nodiscard]] int WithLongOperationParameter(EcuAccess& ecu, ParameterRestore restore,
                                             const std::function<int()>& body);

// The useful data of an answer frame: `count` bytes from the sixth byte on.
// An answer too short to hold them shows the communication error and gives
// kShortPayload; nothing is read past the answer.
[[nodiscard]] int TakeAnswerData(EcuAccess& ecu, const Bytes& answer, std::size_t count,
                                 Bytes* out);

}  // namespace velmora::link
