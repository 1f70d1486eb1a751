#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/bytes.h"
#include "core/session_flags.h"
#include "link/pipe_protocol.h"
#include "platform/child_process.h"
#include "platform/clock.h"
#include "platform/event_pump.h"
#include "platform/message_box.h"
#include "platform/process_list.h"
#include "platform/sys_io.h"
#include "platform/unique_fd.h"

namespace velmora::link {

// The link layer's own message texts; every other text comes from the
// dictionary.
namespace pipe_text {
inline constexpr std::string_view kRequestPipe =
    "Error 004 - CreatePipe(hPipeRead, hPipeWrite, sa, 0)";
inline constexpr std::string_view kReplyPipe =
    "Error 004 - CreatePipe(hPipeRead1, hPipeWrite1, sa, 0)";
inline constexpr std::string_view kStdin = "Error 004 - SetStdHandle(STD_INPUT_HANDLE, hPipeRead)";
inline constexpr std::string_view kStdout =
    "Error 004 - SetStdHandle(STD_OUTPUT_HANDLE, hPipeWrite1)";
inline constexpr std::string_view kNoProcess = "Error 005 - Can't create process";
inline constexpr std::string_view kCommError = "Error 006 - Comunication error";
inline constexpr std::string_view kCommErrorCaption = "Comunication  error";
inline constexpr std::string_view kTimeOut = "Error 007 - Time Out";
inline constexpr std::string_view kSendError = "Error 008 - Pipe send error ";
inline constexpr std::string_view kSendErrorCaption = "Comunication error";
}  // namespace pipe_text

// The launch failure's message text (empty for kNone).
[[nodiscard]] std::string_view LaunchFailureText(platform::SpawnFailure failure);

// Where the link server lives: its folder is also what tells our link
// servers from those of another installation.
struct LinkLocation {
  std::string bin_dir;
  std::string exe_name = "LinkSrv";
  // Extra environment for the link server.
  std::vector<std::pair<std::string, std::string>> env;
};

// What the last well-formed reply said; other modules read it instead of
// parsing replies again.
struct LastReply {
  ReplyHeader header;
  Bytes payload;  // set by successful exchanges only
};

// The services the channel runs on, all owned by the application.
struct PipeServices {
  platform::MessageBox& box;
  platform::Clock& clock;
  platform::EventPump& pump;
  platform::ProcessList& processes;
  platform::SysIo& io;
  core::SessionFlags& flags;
};

// The pipe channel to the link server (ModPipe): process handling and one
// request/reply exchange at a time.
//
// An exchange waits for its reply while pumping events, so handlers of those
// events run in the middle of it. The channel is busy for the whole exchange:
// a call made from such a handler returns kNoExchange at once, with no I/O and
// no message box, and the outer exchange goes on undisturbed. Callers that
// are pumped (timers) therefore never have to know whether an exchange is in
// progress, and a refused call cannot be confused with a time-out because no
// flag is raised.
class ModPipe {
 public:
  ModPipe(PipeServices services, LinkLocation location);
  ModPipe(const ModPipe&) = delete;
  ModPipe& operator=(const ModPipe&) = delete;

  // Starts the link server on two new pipes. Failures show their Error 004
  // or Error 005 box; the result is only for callers that want to know.
  bool AvviaLink();

  // Ends every link server of this user started from this installation's
  // bin folder, and waits (at most 3 s) until they are gone. Link servers of
  // other users and other installations are left alone.
  void ChiudiLink();

  // True while a link server of this installation runs.
  [[nodiscard]] bool LinkAttivo();

  // One exchange. Returns a result code 0..4 (ExchangeResult); on success
  // `reply` (when given) receives the extracted payload, otherwise it is
  // emptied. Every failure has shown its box before returning, except the
  // refused re-entrant call.
  [[nodiscard]] int InviaMessaggio(std::uint8_t type, std::span<const std::uint8_t> payload,
                                   std::int64_t timeout_us, Bytes* reply);
  [[nodiscard]] int InviaMessaggio(MsgType type, std::span<const std::uint8_t> payload,
                                   std::int64_t timeout_us, Bytes* reply) {
    return InviaMessaggio(static_cast<std::uint8_t>(type), payload, timeout_us, reply);
  }

  // Monotonic microseconds.
  [[nodiscard]] std::int64_t Adesso();
  // Waits `micros` while keeping events flowing.
  void Attendi(std::int64_t micros);

  // Takes over an already connected pair of descriptors: the write end of
  // the link's input and the read end of its output.
  void Attach(platform::UniqueFd request_write, platform::UniqueFd reply_read);
  // Closes our pipe ends; the link server sees end of input.
  void Detach();
  [[nodiscard]] bool Attached() const { return request_fd_.Valid() && reply_fd_.Valid(); }

  [[nodiscard]] const LastReply& Last() const { return last_; }
  [[nodiscard]] bool Busy() const { return busy_; }
  [[nodiscard]] core::SessionFlags& Flags() { return services_.flags; }
  [[nodiscard]] const LinkLocation& Location() const { return location_; }

  // The Error 006 box, for operations that find an answer unusable after a
  // well-formed exchange.
  void ShowCommunicationError();

 private:
  enum class ReadOutcome { kComplete, kTimedOut };
  void DiscardStale();
  [[nodiscard]] bool WriteAll(std::span<const std::uint8_t> bytes, std::int64_t timeout_us);
  [[nodiscard]] ReadOutcome ReadReply(std::int64_t timeout_us, Bytes& raw);
  int TimeOut();
  int SendError();

  PipeServices services_;
  LinkLocation location_;
  platform::UniqueFd request_fd_;
  platform::UniqueFd reply_fd_;
  LastReply last_;
  bool busy_ = false;
  bool link_gone_ = false;  // the last write found the link server's end closed
};

}  // namespace velmora::link
