#include "apps/cli/cmd_live.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "apps/cli/command_words.h"
#include "apps/cli/session_command.h"
#include "core/text.h"
#include "link/message_table.h"
#include "session/session.h"

namespace velmora::cli {
namespace {

namespace st = core::session_state;

constexpr std::int32_t kMaxCount = 1'000'000;
constexpr std::string_view kCountOption = "--count";
constexpr std::string_view kFieldsOption = "--fields";
// The session polls once per Timer1 tick; a poll that takes longer than
// this many ticks still counts, the limit only ends a stalled session.
constexpr std::int64_t kTicksPerPollAllowed = 20;
constexpr std::chrono::seconds kLimitMargin{30};

struct LiveArgs {
  std::int32_t count = 0;
  std::optional<std::vector<std::size_t>> fields;  // empty: every field
};

std::optional<LiveArgs> ParseLiveArgs(const std::vector<std::string>& words, std::string& error) {
  LiveArgs a;
  for (std::size_t i = 1; i < words.size(); ++i) {
    std::string value;
    if (TakeCommandValue(words, i, kCountOption, &value)) {
      const auto n = core::ParseInt32(value);
      if (!n || *n < 1 || *n > kMaxCount) {
        error = "--count needs a number from 1 to " + std::to_string(kMaxCount);
        return std::nullopt;
      }
      a.count = *n;
    } else if (TakeCommandValue(words, i, kFieldsOption, &value)) {
      std::vector<std::size_t> fields;
      for (const std::string& item : core::Split(value, ',')) {
        const auto n = core::ParseInt32(item);
        if (!n || *n < 0) {
          error = "--fields needs field indexes separated by commas";
          return std::nullopt;
        }
        fields.push_back(static_cast<std::size_t>(*n));
      }
      a.fields = std::move(fields);
    } else {
      error = "live does not take \"" + words[i] + "\"";
      return std::nullopt;
    }
  }
  if (a.count == 0) {
    error = "live needs --count N";
    return std::nullopt;
  }
  return a;
}

std::string JoinLine(const std::vector<std::size_t>& fields, const link::MessageTable& table) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    line +=
        (i == 0 ? "" : ",") + std::to_string(table.Value(link::live::kMainRecordIndex, fields[i]));
  }
  return line;
}

// The fields to print: those asked for, or every field of entry 1; nullopt
// (said on standard error) when a field is beyond the entry.
std::optional<std::vector<std::size_t>> FieldsToPrint(const LiveArgs& args,
                                                      std::size_t field_count) {
  std::vector<std::size_t> fields;
  if (args.fields) {
    fields = *args.fields;
  } else {
    for (std::size_t f = 0; f < field_count; ++f) {
      fields.push_back(f);
    }
  }
  for (const std::size_t f : fields) {
    if (f >= field_count) {
      Err("entry 1 has fields 0 to " + std::to_string(field_count - 1) + ", not " +
          std::to_string(f));
      return std::nullopt;
    }
  }
  return fields;
}

// The session's own poll, one read of entry 1 per Timer1 tick: a line after
// each one that succeeded. The number of lines printed.
std::int32_t PrintPolls(HeadlessWorkstation& workstation, const std::vector<std::size_t>& fields,
                        std::int32_t count) {
  session::Session& s = workstation.Session();
  const core::SessionFlags& flags = workstation.Flags();
  std::int64_t seen = s.PollCount();
  std::int32_t printed = 0;
  bool lost = false;
  const auto limit = std::chrono::milliseconds(session::session_timing::kTimer1IntervalMs *
                                               kTicksPerPollAllowed * count) +
                     kLimitMargin;
  (void)workstation.RunUntil(
      [&] {
        if (s.PollCount() != seen && printed < count) {
          seen = s.PollCount();
          ++printed;
          Out(JoinLine(fields, workstation.Table()));
        }
        lost = flags.ecu_lost || flags.state != st::kConnected;
        return printed >= count || lost || workstation.Stopped();
      },
      SteadyClock::now() + limit);
  if (printed < count) {
    Err(lost ? "the connection to the ECU was lost after " + std::to_string(printed) + " reads"
             : "only " + std::to_string(printed) + " of " + std::to_string(count) +
                   " reads were made");
  }
  return printed;
}

}  // namespace

int RunLive(const CliOptions& options) {
  std::string error;
  const std::optional<LiveArgs> args = ParseLiveArgs(options.command, error);
  if (!args) {
    Err(error + "\n" + UsageText());
    return exit_code::kUsage;
  }
  const link::MessageTable installed(ReadInstalledSetCom(options).messages);
  const std::size_t field_count = installed.FieldCount(link::live::kMainRecordIndex);
  if (field_count == 0) {
    Err("SetCom.ini has no main live record (entry 1)");
    return exit_code::kFailed;
  }
  const auto fields = FieldsToPrint(*args, field_count);
  if (!fields) {
    return exit_code::kUsage;
  }
  auto workstation = ConnectedWorkstation(options);
  if (!workstation) {
    return exit_code::kFailed;
  }
  std::string header;
  for (std::size_t i = 0; i < fields->size(); ++i) {
    header += (i == 0 ? "" : ",") + std::to_string((*fields)[i]);
  }
  Out(header);
  const std::int32_t printed = PrintPolls(*workstation, *fields, args->count);
  return Finish(*workstation, printed == args->count);
}

}  // namespace velmora::cli
