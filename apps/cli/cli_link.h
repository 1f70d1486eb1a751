#pragma once

#include <optional>
#include <string>

#include "apps/cli/cli_options.h"
#include "core/bytes.h"
#include "core/paths.h"
#include "core/session_flags.h"
#include "core/set_com.h"
#include "link/ecu_access.h"
#include "link/pipe_channel.h"
#include "platform/posix/poll_event_pump.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/proc_process_list.h"
#include "platform/stderr_message_box.h"

namespace velmora::cli {

// The workstation's link for one command: the start-up steps, the
// connection to the ECU and the shutdown at the end.
class CliLink {
 public:
  explicit CliLink(const CliOptions& options);
  CliLink(const CliLink&) = delete;
  CliLink& operator=(const CliLink&) = delete;
  ~CliLink();

  [[nodiscard]] const core::PathTable& Paths() const { return paths_; }
  [[nodiscard]] const core::SetComConfig& SetCom() const { return set_com_; }
  [[nodiscard]] link::EcuAccess& Ecu() { return ecu_; }
  [[nodiscard]] link::ModPipe& Pipe() { return pipe_; }

  // The port the command is to use: --port, the registered --device, the
  // remembered port, or the first registered one. Prints why there is none.
  [[nodiscard]] std::optional<int> ChoosePort();

  // Ends stale link servers, starts ours and greets it.
  [[nodiscard]] bool Start();

  // Resets the link, hands it the connection profiles and opens `port`;
  // on success `identity` holds the ECU's identity answer.
  [[nodiscard]] bool Connect(int port, Bytes* identity);

 private:
  CliOptions options_;
  platform::StderrMessageBox box_;
  platform::PosixClock clock_;
  platform::PollEventPump pump_;
  platform::ProcProcessList processes_;
  core::SessionFlags flags_;
  core::PathTable paths_;
  core::SetComConfig set_com_;
  link::ModPipe pipe_;
  link::EcuAccess ecu_;
  bool started_ = false;
};

// The installation root: --root, or the parent of the executable's folder.
[[nodiscard]] std::string ResolveRoot(const std::string& option);

}  // namespace velmora::cli
