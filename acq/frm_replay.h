#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "acq/logger_texts.h"
#include "acq/logger_types.h"
#include "acq/replay_sequence.h"
#include "acq/traffic_log.h"
#include "pages/page_registry.h"
#include "pages/page_services.h"

namespace velmora::acq {

namespace replay {
inline constexpr int kRecordedPace = 100;  // percent: the recorded gaps
inline constexpr int kMinPace = 1;
inline constexpr int kMaxPace = 1000;
inline constexpr std::int64_t kUsPerPaceMs = 10;  // pace x 10 x gap (ms) = microseconds
inline constexpr std::size_t kMinSteps = 2;
inline constexpr std::string_view kLogFile = "LogReplay.txt";  // in the program folder
// The OBD values the replay log shows: entry 12 fields, in the heading's
// order (PID 03, 06, 07, 08, 09, 11, 14, 15).
inline constexpr std::array<std::size_t, 8> kLoggedObdFields = {26, 30, 34, 38, 42, 46, 50, 54};
inline constexpr std::string_view kLogHeading =
    "#Tempo #Pid03 #Pid06 #Pid07 #Pid08 #Pid09 #Pid11 #Pid14 #Pid15";
inline constexpr std::string_view kFilter =
    "View Files  (*.vfl)|*.vfl|Text Files  (*.txt)|*.txt|Log Files  (*.tmp)|*.tmp";
}  // namespace replay

// The log replay page (FrmReplay) without its window: plays a recorded
// sequence of ECU answers back into the message table and the calibration
// image at the pace they were recorded (or at a chosen pace), refreshes the
// OBD page after each OBD data answer and writes its values to the replay
// log ("bin/LogReplay.txt"). Its own timer (Timer1) calls Tick.
class FrmReplay final : public pages::PageModel {
 public:
  // `version_text` follows the date on the replay log's first line.
  FrmReplay(pages::PageEnv& env, std::string version_text);

  void CaricaLingua(const core::ClsLingue& lingue);

  // Reads the steps of a recording; a sequence of fewer than two steps is
  // refused with a message (there is no gap to play). False, with the
  // previous sequence kept, when refused or unreadable.
  bool Open(const std::string& path);
  // The same with the file's text; the recording's live values are kept
  // for showing it (in the logger's default channels).
  bool OpenText(std::string_view text, std::string name);
  bool SetSequence(ReplaySequence sequence);

  // CmdP: plays at the recorded pace. CmdSpeed: plays at the chosen pace
  // (and is disabled until the stop). Both refused without a sequence or
  // while playing.
  bool CmdP();
  bool CmdSpeed();
  // CmdS: stops; the map grid page shows its map from the image again.
  void CmdS();
  // The speed control: percent of the recorded gaps (100 as recorded, 50
  // twice as fast), read at each step while CmdSpeed plays.
  void SetSpeed(int percent);
  // One tick of the page's timer.
  void Tick();

  [[nodiscard]] bool Playing() const { return playing_; }
  [[nodiscard]] bool TimerEnabled() const { return timer_; }
  [[nodiscard]] bool PlayEnabled() const {
    return !playing_ && sequence_.Size() >= replay::kMinSteps;
  }
  [[nodiscard]] bool SpeedEnabled() const { return PlayEnabled() && speed_button_; }
  [[nodiscard]] int Speed() const { return speed_; }
  [[nodiscard]] std::size_t StepIndex() const { return index_; }
  [[nodiscard]] std::int64_t NextStepUs() const { return next_us_; }
  [[nodiscard]] const ReplaySequence& Sequence() const { return sequence_; }
  // The time stamp of the step shown last; -1 before the first.
  [[nodiscard]] std::int32_t ShownTime() const { return shown_time_; }
  [[nodiscard]] std::size_t StepsPlayed() const { return played_; }
  [[nodiscard]] const std::string& FileName() const { return file_; }
  // The recording opened, as samples of the logger's default channels.
  [[nodiscard]] const SampleTable& Recording() const { return recording_; }
  [[nodiscard]] const ReplayTexts& Texts() const { return texts_; }
  // Where the answers go, for showing what was replayed.
  [[nodiscard]] const link::MessageTable& Table() const { return env_.table; }
  // Answers played into each target (the order of replay_target::kTargets)
  // and those that had none, since the last start.
  using TargetCounts = std::array<std::size_t, replay_target::kTargets.size()>;
  [[nodiscard]] const TargetCounts& Counts() const { return counts_; }
  [[nodiscard]] std::size_t Unplayable() const { return unplayable_; }

  // pages::PageModel
  void Shown() override;
  void Closing() override;

 private:
  bool Start(bool at_chosen_pace);
  [[nodiscard]] int Pace() const { return at_chosen_pace_ ? speed_ : replay::kRecordedPace; }
  [[nodiscard]] std::int64_t GapUs(std::size_t from) const;
  void PlayStep();
  void OpenLog();

  pages::PageEnv& env_;
  std::string version_text_;
  ReplaySequence sequence_;
  std::string file_;
  SampleTable recording_;
  std::size_t index_ = 0;
  std::int64_t next_us_ = 0;
  std::int32_t shown_time_ = -1;
  std::size_t played_ = 0;
  TargetCounts counts_{};
  std::size_t unplayable_ = 0;
  int speed_ = replay::kRecordedPace;
  bool at_chosen_pace_ = false;
  bool playing_ = false;
  bool timer_ = false;
  bool speed_button_ = true;
  LineFile log_;
  ReplayTexts texts_;
};

}  // namespace velmora::acq
