#include <filesystem>
#include <system_error>

#include "core/paths.h"
#include "core/text.h"
#include "link/pipe_channel.h"

namespace velmora::link {

namespace {

// How long a killed link server is given to disappear.
constexpr std::int64_t kKillWaitUs = 3'000'000;
constexpr std::int64_t kKillPollUs = 10'000;

std::filesystem::path Canonical(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::weakly_canonical(path, ec);
  if (ec) {
    p = std::filesystem::path(path).lexically_normal();
  }
  if (!p.has_filename() && p.has_parent_path()) {
    p = p.parent_path();  // a trailing separator
  }
  return p;
}

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

bool ModPipe::IsOurLinkServer(const platform::ProcessInfo& p) {
  // By name as the link server has always been found, but only this user's
  // and only from this installation's folder: a second installation, or a
  // test running beside this one, keeps its own link server.
  if (!core::EqualsNoCase(p.name, location_.exe_name) || p.exe_path.empty()) {
    return false;
  }
  if (p.uid != services_.processes.SelfUid() || p.pid == services_.processes.SelfPid()) {
    return false;
  }
  return Canonical(p.exe_path).parent_path() == Canonical(location_.bin_dir);
}

bool ModPipe::LinkAttivo() {
  for (const auto& p : services_.processes.List()) {
    if (IsOurLinkServer(p)) {
      return true;
    }
  }
  return false;
}

void ModPipe::ChiudiLink() {
  bool any = false;
  for (const auto& p : services_.processes.List()) {
    if (IsOurLinkServer(p)) {
      (void)services_.processes.Terminate(p.pid);
      any = true;
    }
  }
  if (!any) {
    return;
  }
  // The old link server must have let go of its serial port before a new one
  // starts; waiting for it to vanish is quicker than a fixed pause.
  const std::int64_t deadline = Adesso() + kKillWaitUs;
  while (LinkAttivo() && Adesso() < deadline) {
    Attendi(kKillPollUs);
  }
}

}  // namespace velmora::link
