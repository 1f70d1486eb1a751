#include <string>

#include "core/paths.h"
#include "link/pipe_channel.h"
#include "platform/process_list.h"

namespace velmora::link {

namespace {

// How long a killed link server is given to disappear.
constexpr std::int64_t kKillWaitUs = 3'000'000;
constexpr std::int64_t kKillPollUs = 10'000;

}  // namespace

std::string_view LaunchFailureText(platform::SpawnFailure failure) {
  switch (failure) {
    case platform::SpawnFailure::kNone:
      return {};
    case platform::SpawnFailure::kRequestPipe:
      return pipe_text::kRequestPipe;
    case platform::SpawnFailure::kReplyPipe:
      return pipe_text::kReplyPipe;
    case platform::SpawnFailure::kStdin:
      return pipe_text::kStdin;
    case platform::SpawnFailure::kStdout:
      return pipe_text::kStdout;
    case platform::SpawnFailure::kProcess:
      return pipe_text::kNoProcess;
  }
  return pipe_text::kNoProcess;
}

bool ModPipe::AvviaLink() {
  platform::SpawnRequest request;
  request.executable = location_.bin_dir + std::string(1, core::kSep) + location_.exe_name;
  request.env = location_.env;
  platform::SpawnResult r = platform::SpawnWithPipes(request, services_.io);
  if (r.failure != platform::SpawnFailure::kNone) {
    services_.box.Show(LaunchFailureText(r.failure), "", platform::BoxKind::Plain);
    return false;
  }
  Attach(std::move(r.child.ToChild()), std::move(r.child.FromChild()));
  return true;
}

bool ModPipe::LinkAttivo() {
  // Only this user's link servers from this installation's folder: a second
  // installation, or a test running beside this one, keeps its own.
  return !platform::FindInstalled(services_.processes, location_.exe_name, location_.bin_dir)
              .empty();
}

void ModPipe::ChiudiLink() {
  const auto ours =
      platform::FindInstalled(services_.processes, location_.exe_name, location_.bin_dir);
  if (ours.empty()) {
    return;
  }
  for (const auto& p : ours) {
    (void)services_.processes.Terminate(p.pid);
  }
  // The old link server must have let go of its serial port before a new one
  // starts; waiting for it to vanish is quicker than a fixed pause.
  const std::int64_t deadline = Adesso() + kKillWaitUs;
  while (LinkAttivo() && Adesso() < deadline) {
    Attendi(kKillPollUs);
  }
}

}  // namespace velmora::link
