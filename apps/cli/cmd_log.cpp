#include "apps/cli/cmd_log.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "acq/live_recorder.h"
#include "acq/osci_files.h"
#include "acq/traffic_log.h"
#include "apps/cli/command_words.h"
#include "apps/cli/session_command.h"
#include "core/files.h"
#include "core/text.h"
#include "platform/posix/posix_clock.h"

namespace velmora::cli {
namespace {

namespace st = core::session_state;

constexpr std::string_view kSecondsOption = "--seconds";
constexpr std::string_view kOutOption = "--out";
constexpr std::string_view kFastFlag = "--fast";
constexpr std::string_view kKeepGoingFlag = "--keep-going";
constexpr std::int32_t kMaxSeconds = 86'400;
constexpr std::string_view kPartSuffix = ".part";
constexpr std::chrono::seconds kProgressEvery{1};
constexpr std::chrono::seconds kEndMargin{30};

struct LogArgs {
  std::int32_t seconds = 0;
  bool fast = false;
  bool keep_going = false;  // a lost ECU is searched for and recorded again
  std::string out;
};

std::optional<LogArgs> ParseLogArgs(const std::vector<std::string>& words, std::string& error) {
  LogArgs a;
  for (std::size_t i = 1; i < words.size(); ++i) {
    std::string value;
    if (TakeCommandValue(words, i, kSecondsOption, &value)) {
      const auto n = core::ParseInt32(value);
      if (!n || *n < 1 || *n > kMaxSeconds) {
        error = "--seconds needs a number from 1 to " + std::to_string(kMaxSeconds);
        return std::nullopt;
      }
      a.seconds = *n;
    } else if (TakeCommandValue(words, i, kOutOption, &value)) {
      a.out = value;
    } else if (words[i] == kFastFlag) {
      a.fast = true;
    } else if (words[i] == kKeepGoingFlag) {
      a.keep_going = true;
    } else {
      error = "log does not take \"" + words[i] + "\"";
      return std::nullopt;
    }
  }
  if (a.seconds == 0 || a.out.empty()) {
    error = "log needs --seconds N and --out FILE";
    return std::nullopt;
  }
  return a;
}

// The channels the installation's logger shows (the live window's fields).
acq::ChannelIds InstalledChannels(const core::PathTable& paths) {
  acq::Channels channels = acq::DefaultChannels();
  std::vector<std::string> lines;
  if (core::LeggiRighe(paths.osci_setup, lines)) {
    acq::ReadChannelSetup(lines, channels);
  }
  return acq::IdsOf(channels);
}

// Records until the end, the ECU is lost (unless told to keep going) or a
// stop signal; true when the session stayed connected throughout (kept
// going: when it was still open at the end).
bool Record(HeadlessWorkstation& w, const acq::LiveRecorder& recorder, const LogArgs& args,
            SteadyClock::time_point end) {
  session::Session& s = w.Session();
  const core::SessionFlags& flags = w.Flags();
  auto next_report = SteadyClock::now() + kProgressEvery;
  const auto start = SteadyClock::now();
  bool lost = false;
  const auto tick = [&] {
    const auto now = SteadyClock::now();
    if (now >= next_report) {
      next_report += kProgressEvery;
      const auto secs = std::chrono::duration_cast<std::chrono::seconds>(now - start).count();
      Err("recording " + std::to_string(secs) + " s: " + std::to_string(recorder.Records()) +
          " records");
    }
    lost = args.keep_going ? s.Closed() : flags.ecu_lost || flags.state != st::kConnected;
    return now >= end || lost || w.Stopped() || s.Closed();
  };
  if (args.fast) {
    // Each Timer1 tick of the connected session reads the live record
    // once; ticked back to back, the reads follow each other at once.
    while (!tick()) {
      s.Timer1_Timer();
    }
  } else {
    (void)w.RunUntil(tick, end + kEndMargin);
  }
  return !lost;
}

void ReportRate(const acq::LiveRecorder& recorder) {
  const double seconds = static_cast<double>(recorder.StopMs() - recorder.StartMs()) / 1000.0;
  char line[96];
  std::snprintf(line, sizeof line, "records: %llu in %.2f s",
                static_cast<unsigned long long>(recorder.Records()), seconds);
  Out(line);
  std::snprintf(line, sizeof line, "record rate: %.1f per second",
                seconds > 0 ? static_cast<double>(recorder.Records()) / seconds : 0.0);
  Out(line);
}

}  // namespace

int RunLog(const CliOptions& options) {
  std::string error;
  const std::optional<LogArgs> args = ParseLogArgs(options.command, error);
  if (!args) {
    Err(error + "\n" + UsageText());
    return exit_code::kUsage;
  }
  auto workstation = ConnectedWorkstation(options);
  if (!workstation) {
    return exit_code::kFailed;
  }
  platform::PosixClock clock;
  acq::LiveRecorder recorder(clock);
  link::MessageTable& table = workstation->Table();
  const std::string part = args->out + std::string(kPartSuffix);
  if (!recorder.Start(part, table.LastAnswer(link::live::kMainRecordIndex),
                      InstalledChannels(workstation->Paths()), acq::LocalDateTimeText())) {
    Err("cannot write " + part);
    return Finish(*workstation, false);
  }
  table.SetRecordSink(&recorder);
  const bool connected = Record(*workstation, recorder, *args,
                                SteadyClock::now() + std::chrono::seconds(args->seconds));
  recorder.Stop();
  table.SetRecordSink(nullptr);
  const bool written = !recorder.WriteFailed() && std::rename(part.c_str(), args->out.c_str()) == 0;
  if (!written) {
    std::remove(part.c_str());
    Err("writing " + args->out + " failed");
  } else if (!connected) {
    Err("the connection to the ECU was lost; what was recorded is in " + args->out);
  }
  ReportRate(recorder);
  return Finish(*workstation, written && connected);
}

}  // namespace velmora::cli
