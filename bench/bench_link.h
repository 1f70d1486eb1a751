#pragma once

// The link as the benchmarks drive it: LinkSrv started for a private root,
// given the line's profile and the virtual ECU's port, on the real clock.

#include <cstdint>
#include <string>

#include "core/bytes.h"
#include "core/paths.h"
#include "core/session_flags.h"
#include "link/ecu_access.h"
#include "link/link_startup.h"
#include "link/pipe_channel.h"
#include "platform/fake/fakes.h"
#include "platform/posix/poll_event_pump.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/proc_process_list.h"
#include "platform/sys_io.h"

namespace velmora::bench {

inline constexpr std::int64_t kPipeTimeoutUs = 5'000'000;

struct BenchLink {
  explicit BenchLink(const std::string& root)
      : paths(core::FillPathTable(root)),
        pipe(link::PipeServices{box, clock, pump, processes, platform::PosixSysIo(), flags},
             link::LinkLocationFor(paths)),
        ecu(pipe, link::LinkTimes{kPipeTimeoutUs, 1'000'000, 1}) {}

  // Starts the link server and opens `port` at 115200 baud; nullptr when
  // the ECU answers there, else what went wrong.
  [[nodiscard]] const char* Open(int port) {
    if (!link::StartLink(pipe) || link::SendLinkInit(pipe, kPipeTimeoutUs) != link::kOk) {
      return "the link server did not start";
    }
    const std::uint8_t port_byte[1] = {static_cast<std::uint8_t>(port)};
    const std::string profile = "//115200,8N1";
    if (ecu.SetEcuWait(false) != link::kOk ||
        ecu.Message(link::MsgType::kSetProfiles, Bytes(profile.begin(), profile.end())) !=
            link::kOk ||
        ecu.Message(link::MsgType::kOpenPort, port_byte) != link::kOk ||
        pipe.Last().header.link_state != 1) {
      return "no ECU on the virtual port";
    }
    return nullptr;
  }

  void Close() { (void)link::ShutdownLink(pipe, kPipeTimeoutUs); }

  platform::FakeMessageBox box;
  platform::PosixClock clock;
  platform::PollEventPump pump;
  platform::ProcProcessList processes;
  core::SessionFlags flags;
  core::PathTable paths;
  link::ModPipe pipe;
  link::EcuAccess ecu;
};

}  // namespace velmora::bench
