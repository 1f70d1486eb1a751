#include "tuning/frm_seq_inj.h"

#include <cmath>

#include "core/text.h"

namespace velmora::tuning {

namespace sf = sequence_field;
namespace st = seq_text;

namespace {

// The captions in English, by text number, until the dictionary gives its
// own.
constexpr std::array<std::string_view, st::kCount> kFallback = {
    "",
    "Gas outputs / channels",
    "sequence",
    "Acquire sequence",
    "Engine conditions not met: start the engine and let it idle on petrol, then try again.",
    "Sequential mode 1",
    "Sequential mode 2",
    "Sequence not acquired",
    "Reset sequence",
    "Shifted assignment",
    "Channel",
    "Gas output",
    "A cylinder has no gas output configured: the sequence cannot be acquired.",
    "A special feeding type is set on the gas management page:",
    "Reported sequence",
    "Assignment by channel",
    "These switch-over settings are active and may affect the acquisition:",
    "Injection sequence",
    "Two channels use the same gas output.",
    "Check the assignment of the outputs.",
    "Acquisition in progress, please wait...",
    "Acquisition completed",
    "Phase shifter",
    "Outputs",
    "Close",
};

constexpr std::string_view kPhaseShifterKey = "[PhaseShifter]";
constexpr std::string_view kUnknownOutput = " - - ";
constexpr std::string_view kStraight = " - NORM.";
constexpr std::string_view kShiftedSuffix = " - ANTICIP.";

}  // namespace

FrmSeqInj::FrmSeqInj(pages::PageEnv& env, DisplayLevels levels) : env_(env), levels_(levels) {
  CaricaLingua();
  LoadPhaseShifter();
  AggiornaLivelliVisualizzazione();
  AggiornaSelezioni(true);
}

void FrmSeqInj::CaricaLingua() {
  texts_ = core::TextBlock(env_.lingue, st::kMarker);
}

std::string FrmSeqInj::Text(int k) const {
  const std::string_view fallback =
      k >= 0 && k < st::kCount ? kFallback[static_cast<std::size_t>(k)] : std::string_view();
  return texts_.Text(k, fallback);
}

void FrmSeqInj::LoadPhaseShifter() {
  c_.phase_shifter.items = pages::KeyItems(env_.lingue, kPhaseShifterKey);
  phase_numbers_.clear();
  for (const std::string& item : c_.phase_shifter.items) {
    const auto number = pages::ItemNumber(item);
    // An item without a number is never chosen by the value.
    phase_numbers_.push_back(number ? static_cast<int>(std::floor(*number)) : -1);
  }
  const int at = env_.lingue.MarkerOffset(kPhaseShifterKey);
  const auto parameter =
      at > 0 ? core::ParseInt32(core::Trim(env_.lingue.Testo(at, 2))) : std::nullopt;
  phase_parameter_ = parameter.value_or(0);
}

void FrmSeqInj::SelectPhaseShifter() {
  c_.phase_shifter.index = -1;
  for (std::size_t i = 0; i < phase_numbers_.size(); ++i) {
    if (phase_numbers_[i] >= phase_value_) {
      c_.phase_shifter.index = static_cast<int>(i);
      return;
    }
  }
}

void FrmSeqInj::FillChannels(bool rebuild, int n) {
  for (std::size_t i = 0; i < c_.channels.size(); ++i) {
    ChannelBox& box = c_.channels[i];
    if (rebuild) {
      box.items.clear();
      for (int k = 1; k <= n; ++k) {
        box.items.push_back(std::to_string(k));
      }
      box.visible = static_cast<int>(i) < n;
      box.enabled = levels_.level2;
    }
    const std::int32_t word = Value(sf::kSequenceEntry, sf::kFirstOutput + i);
    const bool valid = word >= 0 && static_cast<std::size_t>(word) < box.items.size();
    box.index = valid ? word : -1;
    box.text = valid ? box.items[static_cast<std::size_t>(word)] : std::string(kUnknownOutput);
    if (static_cast<int>(i) < n) {
      const std::int32_t reported = Value(sf::kSequenceEntry, sf::kFirstReported + i);
      c_.sequence += std::to_string(static_cast<std::int64_t>(reported) + 1) + "-";
      c_.output_line += std::to_string(static_cast<std::int64_t>(word) + 1) + "-";
      c_.channel_line += std::to_string(i + 1) + "-";
    }
  }
}

void FrmSeqInj::AggiornaSelezioni(bool rebuild) {
  const pages::Loading loading(updating_);
  SelectPhaseShifter();
  c_.sequence = "-";
  c_.output_line = "OUT: -";
  c_.channel_line = " CH: -";
  const int n = CylinderCount(env_.table);
  FillChannels(rebuild, n);
  const std::int32_t mode = Value(sf::kSequenceEntry, sf::kMode);
  const std::string mode_text = Text(mode == 1   ? st::kMode1
                                     : mode == 2 ? st::kMode1 + 1
                                                 : st::kMode1 + 2);
  c_.sequence += "\n" + mode_text;
  SetSequenceCaption(IsStraightSequence(env_.table), mode_text);
  static_cast<void>(SonoAnticipato());
  shown_.Remember(env_.table);
}

void FrmSeqInj::SetSequenceCaption(bool straight, const std::string& mode) {
  // Without a cylinder count the image holds no ECU's data yet (nothing
  // read, nothing opened): there is no sequence to describe.
  if (CylinderCount(env_.table) == 0) {
    env_.session.SetSequenceCaption({});
    return;
  }
  env_.session.SetSequenceCaption(mode + " " + Text(st::kSwitchOverAfter) +
                                  std::string(straight ? kStraight : kShiftedSuffix));
}

bool FrmSeqInj::SonoAnticipato() {
  c_.shifted = IsShiftedSequence(env_.table);
  return c_.shifted;
}

void FrmSeqInj::AggiornaLivelliVisualizzazione() {
  c_.show_sequence = levels_.level1;
  c_.show_channels = levels_.level2;
  c_.show_phase = levels_.level3;
  // No control of this page is kept hidden at every level.
}

void FrmSeqInj::SetDisplayLevels(DisplayLevels levels) {
  levels_ = levels;
  AggiornaLivelliVisualizzazione();
  AggiornaSelezioni(true);
}

void FrmSeqInj::Refresh() {
  if (acquiring_ && env_.session.SlotFree()) {
    acquiring_ = false;
    c_.status = Text(st::kCompleted);
  }
  AggiornaSelezioni(true);
}

void FrmSeqInj::LiveTick() {
  if (acquiring_ && env_.session.SlotFree()) {
    // The acquisition ended without the read-back that refreshes the page:
    // it failed, and the session has said so.
    acquiring_ = false;
    c_.status.clear();
  }
  if (shown_.Changed(env_.table)) {
    AggiornaSelezioni(true);
  }
}

std::unique_ptr<pages::PageModel> NewSeqInjModel(pages::PageEnv& env, int /*code*/) {
  return std::make_unique<FrmSeqInj>(env);
}

}  // namespace velmora::tuning
