#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/bytes.h"

namespace velmora::acq {

// The traffic log ("bin/Logger.tmp") the session's live reads are written
// to while the logger records: a first line with the start time, then three
// lines per record (the command's name, "ms T request", "ms R answer").
namespace traffic_log {
inline constexpr std::string_view kFirstLine = "0 TimerApi_uSec ";
inline constexpr std::string_view kNow = " Now ";
inline constexpr std::string_view kRequestMark = " T ";
inline constexpr std::string_view kAnswerMark = " R ";
inline constexpr std::string_view kAnswerWord = "R";
// The answers a rebuild keeps: the main live record and the OBD data.
inline constexpr std::string_view kLivePrefix = "42017C0C00";
inline constexpr std::string_view kObdPrefix = "42015C4400";
inline constexpr std::string_view kLineEnd = "\r\n";
}  // namespace traffic_log

// The local date and time as "dd/mm/yyyy hh:mm:ss".
[[nodiscard]] std::string LocalDateTimeText();

// The lines that open a traffic log: the first line with the start time in
// ms and `now_text`, then the live record held at the start as a record at
// time 0 (its answer line ends after " R " when nothing was read yet).
[[nodiscard]] std::vector<std::string> StartLines(std::int64_t start_ms, std::string_view now_text,
                                                  const Bytes& live_record);

// A text file written line by line (CR LF after each), closed when it goes.
// Every line is flushed, so what was recorded survives a crash; a failed
// write is remembered and later lines are not written.
class LineFile {
 public:
  LineFile() = default;
  ~LineFile() { Close(); }
  LineFile(const LineFile&) = delete;
  LineFile& operator=(const LineFile&) = delete;

  // Opens `path` for writing, replacing it (`append` keeps what it holds).
  [[nodiscard]] bool Open(const std::string& path, bool append = false);
  void WriteLine(std::string_view line);
  void Close();
  [[nodiscard]] bool IsOpen() const { return file_ != nullptr; }
  [[nodiscard]] bool Failed() const { return failed_; }
  [[nodiscard]] const std::string& Path() const { return path_; }

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
  bool failed_ = false;
};

}  // namespace velmora::acq
