#include "apps/cli/cmd_watch.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "apps/cli/command_words.h"
#include "apps/cli/session_command.h"
#include "core/text.h"
#include "session/session.h"

namespace velmora::cli {
namespace {

namespace st = core::session_state;

constexpr std::string_view kSecondsOption = "--seconds";
constexpr std::int32_t kMaxSeconds = 86'400;

// What each session state is called in the watch's lines.
constexpr std::array<std::string_view, 9> kStateNames = {
    "searching", "-",         "connected",      "operation",    "disconnected",
    "closing",   "blank ECU", "post-operation", "disconnected",
};

std::string_view StateName(int state) {
  return state >= 0 && static_cast<std::size_t>(state) < kStateNames.size()
             ? kStateNames[static_cast<std::size_t>(state)]
             : "unknown";
}

std::optional<std::int32_t> ParseSeconds(const std::vector<std::string>& words,
                                         std::string& error) {
  std::optional<std::int32_t> seconds;
  for (std::size_t i = 1; i < words.size(); ++i) {
    std::string value;
    if (TakeCommandValue(words, i, kSecondsOption, &value)) {
      seconds = core::ParseInt32(value);
      if (!seconds || *seconds < 1 || *seconds > kMaxSeconds) {
        error = "--seconds needs a number from 1 to " + std::to_string(kMaxSeconds);
        return std::nullopt;
      }
    } else {
      error = "watch does not take \"" + words[i] + "\"";
      return std::nullopt;
    }
  }
  if (!seconds) {
    error = "watch needs --seconds N";
  }
  return seconds;
}

// Seconds spent connected, from the state changes.
class ConnectedTime {
 public:
  void Change(int to, SteadyClock::time_point at) {
    if (to == st::kConnected && !since_) {
      since_ = at;
      ever_ = true;
    } else if (to != st::kConnected && since_) {
      total_ += at - *since_;
      since_.reset();
    }
  }
  [[nodiscard]] double SecondsUntil(SteadyClock::time_point at) const {
    auto total = total_;
    if (since_) {
      total += at - *since_;
    }
    return std::chrono::duration<double>(total).count();
  }
  [[nodiscard]] bool Ever() const { return ever_; }

 private:
  std::optional<SteadyClock::time_point> since_;
  SteadyClock::duration total_{};
  bool ever_ = false;
};

std::string Stamp(SteadyClock::time_point start, SteadyClock::time_point at) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%8.3f", std::chrono::duration<double>(at - start).count());
  return buf;
}

}  // namespace

int RunWatch(const CliOptions& options) {
  std::string error;
  const auto seconds = ParseSeconds(options.command, error);
  if (!seconds) {
    Err(error + "\n" + UsageText());
    return exit_code::kUsage;
  }
  auto workstation = OpenWorkstation(options);
  if (!workstation) {
    return exit_code::kFailed;
  }
  const auto start = SteadyClock::now();
  ConnectedTime connected;
  workstation->Host().SetEcho(true);
  workstation->Host().on_state = [&](int from, int to) {
    const auto now = SteadyClock::now();
    connected.Change(to, now);
    Out(Stamp(start, now) + " state " + std::to_string(from) + " -> " + std::to_string(to) + " " +
        std::string(StateName(to)));
  };
  session::Session& s = workstation->Session();
  Out(Stamp(start, start) + " state " + std::to_string(s.State()) + " " +
      std::string(StateName(s.State())));

  const std::int64_t polls_before = s.PollCount();
  workstation->CloseAt(start + std::chrono::seconds(*seconds));
  workstation->Start();
  // The close is asked for at the end, wherever the session is; the
  // current exchange or connect attempt finishes first.
  const bool ended =
      workstation->RunUntil([&] { return workstation->Stopped(); }, SteadyClock::time_point::max());
  const auto end = SteadyClock::now();
  const std::int64_t polls = s.PollCount() - polls_before;
  const double connected_seconds = connected.SecondsUntil(end);
  const bool closed_itself = !ended;  // a time-out of the link ends the session
  (void)workstation->Close();
  workstation->Host().on_state = nullptr;

  char line[96];
  std::snprintf(line, sizeof line, "polls: %lld in %.2f s connected", static_cast<long long>(polls),
                connected_seconds);
  Out(line);
  std::snprintf(line, sizeof line, "poll rate: %.1f Hz",
                connected_seconds > 0 ? static_cast<double>(polls) / connected_seconds : 0.0);
  Out(line);
  if (closed_itself) {
    Err("the session ended: the link server stopped answering");
    return exit_code::kFailed;
  }
  if (!connected.Ever()) {
    Err("no ECU was connected in " + std::to_string(*seconds) + " s");
    return exit_code::kFailed;
  }
  return exit_code::kOk;
}

}  // namespace velmora::cli
