// What the injection sequence page sends: a channel's output, the reset to
// the straight assignment and the ECU's acquisition, each behind its checks.
#include "pages/frm_kvx_commutazione.h"
#include "pages/gas_management_page.h"
#include "tuning/frm_seq_inj.h"

namespace velmora::tuning {

namespace sf = sequence_field;
namespace st = seq_text;
namespace sw = seq_word;
namespace req = session::request;

namespace {

// A feeding type of the parameter record's byte 15 as the gas management
// page names it: the title of its speed and the caption of its option.
struct FeedingType {
  std::uint8_t bit;
  int title;
  std::string_view title_fallback;
  int option;
  std::string_view option_fallback;
};

namespace mt = pages::management_text;
// Checked in this order; the first bit set names the line.
constexpr std::array<FeedingType, 4> kFeedingTypes = {{
    {0x80, mt::kHighFeeding, "High speed feeding", mt::kFeedingTypes + 2, "Back to petrol"},
    {0x40, mt::kHighFeeding, "High speed feeding", mt::kFeedingTypes + 1, "Petrol contribution"},
    {0x10, mt::kLowFeeding, "Low speed feeding", mt::kFeedingTypes + 1, "Petrol contribution"},
    {0x20, mt::kLowFeeding, "Low speed feeding", mt::kFeedingTypes + 2, "Back to petrol"},
}};

// A switch-over setting that may upset an acquisition, named by the caption
// of its control on the switch-over page.
struct NoticeSetting {
  std::size_t field;
  std::int32_t mask;  // 0: any value but 0
  int caption;
  std::string_view fallback;
};

namespace ct = pages::config_text;
constexpr std::array<NoticeSetting, 3> kNotices = {{
    {sw::kOptions, sw::kDirectionBit, ct::kDirection, "Switch-over direction"},
    {sw::kSequenceDelay, 0, ct::kSequenceDelay, "Delay between injectors"},
    {sw::kOverlap, 0, ct::kOverlap, "Petrol/gas overlap"},
}};

constexpr std::size_t kConfigEntry = sf::kConfigEntry;
constexpr std::int32_t kNoOutputConfig = 0;
constexpr std::int32_t kOutputOff = 4;

}  // namespace

void FrmSeqInj::Tell(int text, const std::string& more) {
  const std::string message = more.empty() ? Text(text) : Text(text) + "\n" + more;
  env_.box.Show(
      message, env_.main_title,
      text == st::kNotice ? platform::BoxKind::Information : platform::BoxKind::Exclamation);
}

bool FrmSeqInj::EngineConditionMet() const {
  return (Value(sw::kLiveEntry, sw::kStatus) & sw::kConditionBit) != 0 &&
         Value(sw::kLiveEntry, sw::kRpm) >= sw::kMinRpm &&
         Value(sw::kStateEntry, sw::kSubState) == 0 && Value(sw::kStateEntry, sw::kState) <= 0;
}

bool FrmSeqInj::OutputsConfigured() const {
  const int n = CylinderCount(env_.table);
  for (int i = 0; i < n; ++i) {
    const std::int32_t config =
        Value(kConfigEntry, sw::kLastOutputConfig - static_cast<std::size_t>(i));
    if (config == kNoOutputConfig || config == kOutputOff) {
      return false;
    }
  }
  return true;
}

std::string FrmSeqInj::FeedingLine() const {
  const Bytes& record = env_.image.companion;
  if (record.size() <= sw::kFeedingByte) {
    return {};
  }
  const std::uint8_t byte = record[sw::kFeedingByte];
  const core::TextBlock management(env_.lingue, mt::kMarker);
  for (const FeedingType& f : kFeedingTypes) {
    if ((byte & f.bit) != 0) {
      return "\n- " + management.Text(f.title, f.title_fallback) + ": " +
             management.Text(f.option, f.option_fallback);
    }
  }
  return {};
}

std::string FrmSeqInj::NoticeLines() const {
  const core::TextBlock switch_over(env_.lingue, ct::kMarker);
  std::string lines;
  for (const NoticeSetting& n : kNotices) {
    const std::int32_t v = Value(kConfigEntry, n.field);
    if (n.mask == 0 ? v != 0 : (v & n.mask) != 0) {
      lines += "\n" + switch_over.Text(n.caption, n.fallback);
    }
  }
  return lines;
}

bool FrmSeqInj::DuplicateOutputs() const {
  for (std::size_t i = 0; i < c_.channels.size(); ++i) {
    const ChannelBox& a = c_.channels[i];
    for (std::size_t j = i + 1; j < c_.channels.size(); ++j) {
      const ChannelBox& b = c_.channels[j];
      if (a.visible && b.visible && a.index >= 0 && a.index == b.index) {
        return true;
      }
    }
  }
  return false;
}

void FrmSeqInj::ChannelClick(int channel, int index) {
  if (channel < 0 || channel >= sf::kMaxChannels || updating_ || !enabled_ ||
      !env_.session.SlotFree()) {
    return;
  }
  ChannelBox& box = c_.channels[static_cast<std::size_t>(channel)];
  if (index < 0 || static_cast<std::size_t>(index) >= box.items.size()) {
    return;
  }
  box.index = index;
  box.text = box.items[static_cast<std::size_t>(index)];
  if (DuplicateOutputs()) {
    Tell(st::kDuplicate, "\n" + Text(st::kDuplicate + 1));
  }
  const auto field = static_cast<std::int32_t>(sf::kFirstOutput) + channel;
  static_cast<void>(pages::PostRecords(env_.session, req::kEntry15List,
                                       {{sf::kSequenceEntry, {index, field, 0}}}));
}

void FrmSeqInj::PhaseShifterClick(int index) {
  if (updating_ || index < 0 || static_cast<std::size_t>(index) >= phase_numbers_.size()) {
    return;
  }
  c_.phase_shifter.index = index;
  phase_value_ = phase_numbers_[static_cast<std::size_t>(index)];
}

bool FrmSeqInj::CmdResetSeq() {
  if (!enabled_ || !env_.session.SlotFree()) {
    return false;
  }
  if (!EngineConditionMet()) {
    Tell(st::kEngineCondition);
    return false;
  }
  // Every channel the ECU has, whatever the engine's count: a channel left
  // out would keep an output the fitter cannot see.
  std::vector<pages::EntryRecord> records;
  for (int k = 0; k < sf::kMaxChannels; ++k) {
    records.push_back(
        {sf::kSequenceEntry, {k, static_cast<std::int32_t>(sf::kFirstOutput) + k, 0}});
  }
  return pages::PostRecords(env_.session, req::kEntry15List, records);
}

AcquireResult FrmSeqInj::CmdAcquire() {
  if (!enabled_ || !env_.session.SlotFree()) {
    return AcquireResult::kBusy;
  }
  if (!OutputsConfigured()) {
    Tell(st::kNoOutput);
    return AcquireResult::kNoOutput;
  }
  if (const std::string line = FeedingLine(); !line.empty() && !levels_.level2 && !levels_.level3) {
    Tell(st::kFeedingType, line);
    return AcquireResult::kFeeding;
  }
  if (!EngineConditionMet()) {
    Tell(st::kEngineCondition);
    return AcquireResult::kEngine;
  }
  if (const std::string lines = NoticeLines(); !lines.empty()) {
    Tell(st::kNotice, lines);
  }
  if (!env_.session.PostRequest(req::kAcquisition)) {
    return AcquireResult::kNotPosted;
  }
  acquiring_ = true;
  c_.status = Text(st::kInProgress);
  return AcquireResult::kPosted;
}

void FrmSeqInj::Close() {
  env_.window.SelezioneScheda(session::page_id::kManagement);
  env_.session.EnablePages(true);
}

}  // namespace velmora::tuning
