#include "tuning/autotune_log.h"

#include <cstdio>
#include <ctime>

#include "core/files.h"

namespace velmora::tuning {

TuningLog::TuningLog(const core::PathTable& paths)
    : files_(paths.tuning_states), folder_(paths.tune_dir) {}

void TuningLog::Rotate() {
  healthy_ = core::CreaCartella(folder_);
  for (std::size_t i = files_.size() - 1; i > 0; --i) {
    std::string previous;
    if (core::EsisteFile(files_[i - 1]) && core::ReadWholeFile(files_[i - 1], previous)) {
      healthy_ = core::WriteFileAtomic(files_[i], previous) && healthy_;
    }
  }
  text_.clear();
  Flush();
}

void TuningLog::Line(std::string_view text) {
  text_.append(text);
  text_.append("\r\n");
  Flush();
}

void TuningLog::Flush() {
  if (healthy_) {
    healthy_ = core::WriteFileAtomic(files_[0], text_);
  }
}

std::string TodayText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) {
    return "00/00/0000";
  }
  char text[48];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", local.tm_mday, local.tm_mon + 1,
                local.tm_year + 1900);
  return text;
}

}  // namespace velmora::tuning
