#include "acq/frm_replay.h"

#include <algorithm>

#include "acq/log_rebuild.h"
#include "core/files.h"
#include "core/paths.h"
#include "session/request_codes.h"

namespace velmora::acq {

namespace {

// The map grid page of the base map, shown again when a replay stops.
constexpr int kMapGridPage = 12;

}  // namespace

FrmReplay::FrmReplay(pages::PageEnv& env, std::string version_text)
    : env_(env), version_text_(std::move(version_text)) {
  CaricaLingua(env.lingue);
}

void FrmReplay::CaricaLingua(const core::ClsLingue& lingue) {
  texts_ = ReplayTextsFrom(lingue);
}

void FrmReplay::Shown() {
  // The log starts afresh each time the page opens, not under a replay.
  if (!playing_) {
    OpenLog();
  }
}

void FrmReplay::OpenLog() {
  if (log_.Open(env_.paths.user_bin + core::kSep + std::string(replay::kLogFile))) {
    log_.WriteLine(LocalDateTimeText() + " - " + version_text_);
    log_.WriteLine(replay::kLogHeading);
  }
}

void FrmReplay::Closing() {
  playing_ = false;
  timer_ = false;
  log_.Close();
}

bool FrmReplay::Open(const std::string& path) {
  std::string text;
  if (playing_ || !core::ReadWholeFile(path, text)) {
    return false;
  }
  return OpenText(text, path);
}

bool FrmReplay::OpenText(std::string_view text, std::string name) {
  if (!SetSequence(ReadReplaySequence(text))) {
    return false;
  }
  file_ = std::move(name);
  recording_ = RebuildSamples(text, env_.table, IdsOf(DefaultChannels()));
  return true;
}

bool FrmReplay::SetSequence(ReplaySequence sequence) {
  if (playing_) {
    return false;
  }
  // Playing needs a gap between two steps; fewer steps would be read past
  // their end.
  if (sequence.Size() < replay::kMinSteps || sequence.answers.size() != sequence.Size()) {
    env_.box.Show(texts_.too_short, env_.main_title, platform::BoxKind::Information);
    return false;
  }
  sequence_ = std::move(sequence);
  recording_.Clear();
  file_.clear();
  index_ = 0;
  shown_time_ = -1;
  played_ = 0;
  return true;
}

void FrmReplay::SetSpeed(int percent) {
  speed_ = std::clamp(percent, replay::kMinPace, replay::kMaxPace);
}

std::int64_t FrmReplay::GapUs(std::size_t from) const {
  // Time stamps that run backwards (two recordings joined) play at once.
  const std::int64_t gap_ms =
      std::max<std::int64_t>(std::int64_t{sequence_.times[from + 1]} - sequence_.times[from], 0);
  return Pace() * replay::kUsPerPaceMs * gap_ms;
}

bool FrmReplay::Start(bool at_chosen_pace) {
  if (!PlayEnabled()) {
    return false;
  }
  at_chosen_pace_ = at_chosen_pace;
  index_ = 0;
  played_ = 0;
  counts_ = {};
  unplayable_ = 0;
  playing_ = true;
  timer_ = true;
  // The first gap follows the pace too, so a half pace halves every gap.
  next_us_ = env_.clock.NowMicros() + GapUs(index_);
  return true;
}

bool FrmReplay::CmdP() {
  return Start(false);
}

bool FrmReplay::CmdSpeed() {
  if (!SpeedEnabled() || !Start(true)) {
    return false;
  }
  speed_button_ = false;
  return true;
}

void FrmReplay::CmdS() {
  playing_ = false;
  timer_ = false;
  speed_button_ = true;
  // The map in the image stays as it is: its page only shows it again.
  env_.window.RefreshPage(kMapGridPage);
}

void FrmReplay::Tick() {
  if (!timer_ || !playing_) {
    return;
  }
  const std::int64_t now = env_.clock.NowMicros();
  if (now <= next_us_) {
    return;
  }
  if (index_ + 2 >= sequence_.Size()) {
    CmdS();
    return;
  }
  ++index_;
  next_us_ = now + GapUs(index_);
  PlayStep();
}

void FrmReplay::PlayStep() {
  shown_time_ = sequence_.times[index_];
  ++played_;
  const auto target = ReplayAnswer(sequence_.answers[index_], env_.table, env_.image);
  if (target) {
    ++counts_[TargetIndex(*target)];
  } else {
    ++unplayable_;
  }
  if (!target || target->kind != ReplayTargetKind::kEntry ||
      target->entry != replay_target::kObdEntry) {
    return;
  }
  env_.window.RefreshPage(session::page_id::kObd);
  std::string line = "#" + std::to_string(shown_time_);
  for (const std::size_t f : replay::kLoggedObdFields) {
    line += " #" + std::to_string(env_.table.Value(replay_target::kObdEntry, f));
  }
  log_.WriteLine(line);
}

}  // namespace velmora::acq
