#include "acq/log_rebuild.h"

#include "acq/record_samples.h"
#include "acq/traffic_log.h"
#include "core/hex_digit.h"
#include "core/text.h"

namespace velmora::acq {

namespace tl = traffic_log;

namespace {

// Which entry decodes an answer, by its header; nullopt for neither.
std::optional<RecordKind> KindOf(std::string_view answer) {
  if (answer.starts_with(tl::kLivePrefix)) {
    return RecordKind::kLive;
  }
  if (answer.starts_with(tl::kObdPrefix)) {
    return RecordKind::kObd;
  }
  return std::nullopt;
}

bool IsTracedCommand(std::string_view line) {
  return line == link::live::kTraceMainRecord || line == link::live::kTraceObdData;
}

}  // namespace

std::vector<std::string_view> LinesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
    end = end == std::string_view::npos ? text.size() : end;
    std::string_view line = text.substr(start, end - start);
    if (line.ends_with('\r')) {
      line.remove_suffix(1);
    }
    lines.push_back(line);
    start = next;
  }
  return lines;
}

bool HexInto(std::string_view hex, Bytes& out) {
  out.clear();
  if (hex.size() % 2 != 0) {
    return false;
  }
  out.reserve(hex.size() / 2);
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int hi = core::HexDigitValue(hex[i]);
    const int lo = core::HexDigitValue(hex[i + 1]);
    if (hi < 0 || lo < 0) {
      return false;
    }
    out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
  }
  return true;
}

std::uint8_t XorOf(std::span<const std::uint8_t> bytes) {
  std::uint8_t x = 0;
  for (const std::uint8_t b : bytes) {
    x ^= b;
  }
  return x;
}

AnswerLine SplitAnswerLine(std::string_view line) {
  AnswerLine a;
  const std::size_t first = line.find(' ');
  a.time = line.substr(0, first);
  if (first == std::string_view::npos) {
    return a;
  }
  const std::size_t second = line.find(' ', first + 1);
  a.mark = line.substr(
      first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1);
  if (second != std::string_view::npos) {
    a.answer = line.substr(second + 1);
  }
  return a;
}

SampleTable RebuildSamples(std::string_view text, const link::MessageTable& table,
                           const ChannelIds& ids, const RebuildProgress& progress) {
  const std::vector<std::string_view> lines = LinesOf(text);
  link::MessageTable decoder = table;
  decoder.SetRecordSink(nullptr);
  SampleTable samples;
  Bytes bytes;
  std::size_t records = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    // A record cut off by the end of the file has no answer to read.
    if (!IsTracedCommand(lines[i]) || i + 2 >= lines.size()) {
      continue;
    }
    const AnswerLine a = SplitAnswerLine(lines[i + 2]);
    const std::optional<std::int32_t> ms = core::ParseInt32(a.time);
    const std::optional<RecordKind> kind = KindOf(a.answer);
    if (a.time.empty() || a.mark.empty() || a.answer.empty() || !ms || !kind ||
        !HexInto(a.answer, bytes) || XorOf(bytes) != 0) {
      continue;
    }
    const bool live = *kind == RecordKind::kLive;
    const std::size_t entry = live ? link::live::kMainRecordIndex : link::live::kObdDataIndex;
    decoder.DecodificaRisposta(bytes, entry);
    const core::MessageEntry* e = decoder.Entry(entry);
    const std::span<const std::int32_t> fields =
        e != nullptr ? std::span<const std::int32_t>(e->values) : std::span<const std::int32_t>();
    AppendSample(samples, *kind, live ? LiveRow(fields, ids, *ms) : ObdRow(fields, *ms));
    if (progress && ++records % logger::kPumpEvery == 0) {
      progress(i, lines.size());
    }
  }
  if (progress) {
    progress(lines.size(), lines.size());
  }
  return samples;
}

}  // namespace velmora::acq
