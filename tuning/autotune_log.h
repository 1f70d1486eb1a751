#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/paths.h"

namespace velmora::tuning {

// The run's text log in the Tune folder. The four previous runs are kept
// under StatoTun1 (newest) to StatoTun4; the file is rewritten whole, under
// a temporary name, after each line, so a run that stops anywhere leaves a
// readable log. A log that cannot be written never stops the run.
class TuningLog {
 public:
  explicit TuningLog(const core::PathTable& paths);

  // Moves the earlier logs down one place (the oldest drops out) and starts
  // an empty current one; makes the Tune folder when it is missing.
  void Rotate();
  void Line(std::string_view text);

  // False once a write failed.
  [[nodiscard]] bool Healthy() const { return healthy_; }
  [[nodiscard]] const std::string& Text() const { return text_; }

 private:
  void Flush();

  std::array<std::string, 5> files_;
  std::string folder_;
  std::string text_;
  bool healthy_ = true;
};

// Today's date as dd/mm/yyyy, local time.
[[nodiscard]] std::string TodayText();

}  // namespace velmora::tuning
