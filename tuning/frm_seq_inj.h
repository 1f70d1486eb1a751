#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/text_block.h"
#include "pages/config_page_lists.h"
#include "pages/page_registry.h"
#include "pages/page_services.h"
#include "tuning/sequence_rules.h"

namespace velmora::tuning {

// The page's texts, relative to "[FrmSeqInj]".
namespace seq_text {
inline constexpr std::string_view kMarker = "[FrmSeqInj]";
inline constexpr int kOutGasTitle = 1;      // LblOutGasTitolo
inline constexpr int kSwitchOverAfter = 2;  // after the mode on the switch-over page
inline constexpr int kAcquire = 3;          // CmdAcquire
inline constexpr int kEngineCondition = 4;  // engine condition not met
inline constexpr int kMode1 = 5;            // mode 1; 6 mode 2; 7 any other
inline constexpr int kReset = 8;            // CmdResetSeq
inline constexpr int kShifted = 9;          // chkanticipato
inline constexpr int kChannel = 10;         // a channel's caption
inline constexpr int kNoOutput = 12;        // a cylinder without a gas output
inline constexpr int kFeedingType = 13;     // a special feeding type is set
inline constexpr int kReported = 14;        // the reported sequence's title
inline constexpr int kAssignment = 15;      // the assignment card's title
inline constexpr int kNotice = 16;          // settings listed before an acquisition
inline constexpr int kPageString = 17;      // the page's caption
inline constexpr int kDuplicate = 18;       // two channels on one output; 19 its hint
inline constexpr int kInProgress = 20;      // an acquisition runs
inline constexpr int kCompleted = 21;       // its result has been read
inline constexpr int kPhaseShifter = 22;    // LAB_PhaseShifter
inline constexpr int kOutputs = 23;         // the outputs card's title
inline constexpr int kClose = 24;           // the close button
inline constexpr int kCount = 25;
}  // namespace seq_text

// The words the page checks besides the sequence itself.
namespace seq_word {
inline constexpr std::size_t kLiveEntry = 1;
inline constexpr std::size_t kRpm = 32;
inline constexpr std::size_t kStatus = 38;  // bit 0: the engine condition
inline constexpr std::int32_t kConditionBit = 1;
inline constexpr std::int32_t kMinRpm = 200;
inline constexpr std::size_t kStateEntry = 2;
inline constexpr std::size_t kState = 0;              // 0 or less
inline constexpr std::size_t kSubState = 1;           // 0
inline constexpr std::size_t kLastOutputConfig = 16;  // cylinder i at 16 - i (entry 3)
inline constexpr std::size_t kOptions = 33;           // bit value 2: switch-over direction
inline constexpr std::int32_t kDirectionBit = 2;
inline constexpr std::size_t kSequenceDelay = 41;
inline constexpr std::size_t kOverlap = 5;
inline constexpr std::size_t kFeedingByte = 15;  // of the parameter record
}  // namespace seq_word

// The program's user levels. Level 1 shows the sequence and the acquisition;
// level 2 shows the channel boxes, lets the fitter change them and the reset;
// level 3 shows the phase shifter. Level 2 or 3 also lets an acquisition go
// on with a special feeding type set. The workstation has no login: it runs
// with every level set; a restricted front end clears some.
struct DisplayLevels {
  bool level1 = true;
  bool level2 = true;
  bool level3 = true;
};

// One CmbNInj box: the items "1".."N", the chosen index or, for a word that
// is no index of the list, the text shown instead.
struct ChannelBox {
  std::vector<std::string> items;
  int index = -1;
  std::string text;
  bool visible = false;
  bool enabled = false;
};

struct SeqControls {
  std::array<ChannelBox, sequence_field::kMaxChannels> channels;
  std::string sequence;      // LblSequenza: reported order, then the mode
  std::string output_line;   // "OUT: -1-2-3-4-"
  std::string channel_line;  // " CH: -1-2-3-4-"
  bool shifted = false;      // chkanticipato
  pages::ComboState phase_shifter;
  std::string status;  // acquisition running or done; empty otherwise
  // What AggiornaLivelliVisualizzazione shows.
  bool show_sequence = true;  // labels, chkanticipato, CmdAcquire
  bool show_channels = true;  // CmbNInj, CmdResetSeq
  bool show_phase = true;     // CMB_PhaseShifter, LAB_PhaseShifter
};

// How CmdAcquire ended.
enum class AcquireResult {
  kPosted,     // request 56 is pending
  kBusy,       // another request was pending: nothing done
  kNoOutput,   // a cylinder has no gas output (text 12)
  kFeeding,    // a special feeding type at a low level (text 13)
  kEngine,     // the engine condition is not met (text 4)
  kNotPosted,  // the slot was taken meanwhile
};

// FrmSeqInj without its window: which gas output drives each injection
// channel, the sequence and mode the ECU reports, the reset to the straight
// assignment and the ECU's own acquisition (request 56, after which the
// session applies the entry-15 list with 54 and refreshes page 22).
class FrmSeqInj final : public pages::PageModel {
 public:
  explicit FrmSeqInj(pages::PageEnv& env, DisplayLevels levels = {});

  void Shown() override { AggiornaSelezioni(true); }
  void Refresh() override;
  void CalibrationRead() override { AggiornaSelezioni(true); }
  void LiveTick() override;
  void SetEnabled(bool enable) override { enabled_ = enable; }
  [[nodiscard]] bool Enabled() const override { return enabled_; }

  void CaricaLingua();
  void AggiornaSelezioni(bool rebuild);
  [[nodiscard]] bool SonoAnticipato();
  void AggiornaLivelliVisualizzazione();
  void SetDisplayLevels(DisplayLevels levels);

  [[nodiscard]] const SeqControls& Controls() const { return c_; }
  [[nodiscard]] std::string Text(int k) const;
  [[nodiscard]] int PhaseShifterValue() const { return phase_value_; }
  [[nodiscard]] int PhaseShifterParameter() const { return phase_parameter_; }
  [[nodiscard]] bool Updating() const { return updating_; }
  // The engine idles as an acquisition and the reset need: the condition
  // bit, at least 200 rpm, and an ECU state that allows measuring.
  [[nodiscard]] bool EngineConditionMet() const;

  // --- the user's actions
  void ChannelClick(int channel, int index);        // CmbNInj(i)
  void PhaseShifterClick(int index);                // CMB_PhaseShifter
  void ShiftedClick() { AggiornaSelezioni(true); }  // chkanticipato
  bool CmdResetSeq();
  AcquireResult CmdAcquire();
  void Close();  // the close box: back to the gas management page

 private:
  void LoadPhaseShifter();
  void SelectPhaseShifter();
  void FillChannels(bool rebuild, int n);
  void SetSequenceCaption(bool straight, const std::string& mode);
  [[nodiscard]] bool OutputsConfigured() const;
  [[nodiscard]] std::string FeedingLine() const;
  [[nodiscard]] std::string NoticeLines() const;
  void Tell(int text, const std::string& more = {});
  [[nodiscard]] bool DuplicateOutputs() const;
  [[nodiscard]] std::int32_t Value(std::size_t entry, std::size_t field) const {
    return env_.table.Value(entry, field);
  }

  pages::PageEnv& env_;
  DisplayLevels levels_;
  core::TextBlock texts_;
  SeqControls c_;
  pages::ShownBlocks shown_{{3, sequence_field::kSequenceEntry}};
  std::vector<int> phase_numbers_;  // the number each phase shifter item shows
  int phase_value_ = 0;
  int phase_parameter_ = 0;
  bool updating_ = false;
  bool enabled_ = true;
  bool acquiring_ = false;
};

// The factory the workstation's page table names.
[[nodiscard]] std::unique_ptr<pages::PageModel> NewSeqInjModel(pages::PageEnv& env, int code);

}  // namespace velmora::tuning
