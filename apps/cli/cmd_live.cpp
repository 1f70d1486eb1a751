#include "apps/cli/cmd_live.h"

#include <time.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "apps/cli/cli_link.h"
#include "core/text.h"
#include "link/message_table.h"

namespace velmora::cli {
namespace {

constexpr std::int64_t kPollPeriodNs = 50'000'000;  // 20 reads a second at most
constexpr std::int64_t kNanosPerSecond = 1'000'000'000;
constexpr std::int32_t kMaxCount = 1'000'000;
constexpr std::string_view kCountOption = "--count";
constexpr std::string_view kFieldsOption = "--fields";

struct LiveArgs {
  std::int32_t count = 0;
  std::optional<std::vector<std::size_t>> fields;  // empty: every field
};

void Err(const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
}

// "--name value" or "--name=value" among the command's own words.
bool TakeValue(const std::vector<std::string>& words, std::size_t& i, std::string_view name,
               std::string* value) {
  const std::string& w = words[i];
  if (w == name) {
    if (i + 1 >= words.size()) {
      return false;
    }
    *value = words[++i];
    return true;
  }
  if (w.size() > name.size() && w.compare(0, name.size(), name) == 0 && w[name.size()] == '=') {
    *value = w.substr(name.size() + 1);
    return true;
  }
  return false;
}

std::optional<LiveArgs> ParseLiveArgs(const std::vector<std::string>& words, std::string& error) {
  LiveArgs a;
  for (std::size_t i = 1; i < words.size(); ++i) {
    std::string value;
    if (TakeValue(words, i, kCountOption, &value)) {
      const auto n = core::ParseInt32(value);
      if (!n || *n < 1 || *n > kMaxCount) {
        error = "--count needs a number from 1 to " + std::to_string(kMaxCount);
        return std::nullopt;
      }
      a.count = *n;
    } else if (TakeValue(words, i, kFieldsOption, &value)) {
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

std::int64_t MonotonicNs() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * kNanosPerSecond + ts.tv_nsec;
}

// Waits for nothing but the clock.
void SleepUntil(std::int64_t deadline_ns) {
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(deadline_ns / kNanosPerSecond);
  ts.tv_nsec = static_cast<long>(deadline_ns % kNanosPerSecond);
  while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
  }
}

std::string JoinLine(const std::vector<std::size_t>& fields,
                     const std::vector<std::int32_t>& values) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    line += (i == 0 ? "" : ",") + std::to_string(values[i]);
  }
  return line;
}

}  // namespace

int RunLive(const CliOptions& options) {
  std::string error;
  const std::optional<LiveArgs> args = ParseLiveArgs(options.command, error);
  if (!args) {
    Err(error + "\n" + UsageText());
    return exit_code::kUsage;
  }
  CliLink link(options);
  link::MessageTable table(link.SetCom().messages,
                           [](std::string_view w) { Err("SetCom.ini: " + std::string(w)); });
  const std::size_t field_count = table.FieldCount(link::live::kMainRecordIndex);
  if (field_count == 0) {
    Err("SetCom.ini has no main live record (entry 1)");
    return exit_code::kFailed;
  }
  std::vector<std::size_t> fields;
  if (args->fields) {
    fields = *args->fields;
  } else {
    for (std::size_t f = 0; f < field_count; ++f) {
      fields.push_back(f);
    }
  }
  for (const std::size_t f : fields) {
    if (f >= field_count) {
      Err("entry 1 has fields 0 to " + std::to_string(field_count - 1) + ", not " +
          std::to_string(f));
      return exit_code::kUsage;
    }
  }

  const auto port = link.ChoosePort();
  if (!port || !link.Start() || !link.Connect(*port, nullptr)) {
    return exit_code::kFailed;
  }
  // The rpm is worked out with block 3's signal factor.
  if (const int code = table.LeggiVoce(link.Ecu(), link::live::kBlock3Index); code != link::kOk) {
    Err("reading block 3 failed (code " + std::to_string(code) + ")");
    return exit_code::kFailed;
  }

  std::string header;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    header += (i == 0 ? "" : ",") + std::to_string(fields[i]);
  }
  std::printf("%s\n", header.c_str());
  std::fflush(stdout);

  int failures = 0;
  std::vector<std::int32_t> values(fields.size());
  std::int64_t next = MonotonicNs();
  for (std::int32_t k = 0; k < args->count; ++k) {
    // Each read starts a full period after the one before, even after a
    // slow one: the ECU never sees more than 20 a second.
    SleepUntil(next);
    next = MonotonicNs() + kPollPeriodNs;
    const int code = table.LeggiVoce(link.Ecu(), link::live::kMainRecordIndex);
    if (code != link::kOk) {
      ++failures;
      Err("read " + std::to_string(k + 1) + " failed (code " + std::to_string(code) + ")");
      if (link.Pipe().Flags().exit_request) {
        break;  // the link timed out: nothing more will come
      }
      continue;
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
      values[i] = table.Value(link::live::kMainRecordIndex, fields[i]);
    }
    std::printf("%s\n", JoinLine(fields, values).c_str());
    std::fflush(stdout);
  }
  return failures == 0 ? exit_code::kOk : exit_code::kFailed;
}

}  // namespace velmora::cli
