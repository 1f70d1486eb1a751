// Arbitrary text as the logger's files: the variable list (OsciList.ini),
// the channel setup (OsciSetUp.ini), and a traffic log or view file (".vfl")
// both as a replay sequence and as the recording it rebuilds, decoded with
// the shipped message table. Properties:
// - a setup read keeps offsets within 0..98 and zooms of at least 1, and the
//   setup written out reads back to the same text;
// - a replay sequence has one answer per time, and replaying its answers
//   touches only the entries and tables they are for;
// - a rebuilt recording holds whole samples.
#include <algorithm>
#include <cstdint>
#include <string>

#include "acq/log_rebuild.h"
#include "acq/osci_files.h"
#include "acq/replay_sequence.h"
#include "calib/calibration_image.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/shipped_set_com.h"

namespace {

using velmora::fuzz::Check;
namespace acq = velmora::acq;

constexpr std::size_t kMaxReplayed = 64;

void CheckSetup(const std::vector<std::string>& lines) {
  acq::Channels channels = acq::DefaultChannels();
  acq::ReadChannelSetup(lines, channels);
  for (const acq::Channel& c : channels) {
    Check(c.offset >= 0 && c.offset <= 98 && c.zoom >= 1);
  }
  const std::string written = acq::ChannelSetupText(channels);
  acq::Channels again = acq::DefaultChannels();
  acq::ReadChannelSetup(velmora::core::SplitCrLf(written), again);
  Check(acq::ChannelSetupText(again) == written);

  const std::vector<acq::Variable> list = acq::ReadVariableList(lines);
  for (int language = -1; language < 3; ++language) {
    acq::Channels applied = channels;
    acq::ApplyVariables(applied, list, language);
  }
  for (const acq::Variable& v : list) {
    Check(acq::FindVariable(list, v.id) != nullptr);
  }
}

void CheckReplay(std::string_view text, const velmora::link::MessageTable& shipped) {
  const acq::ReplaySequence sequence = acq::ReadReplaySequence(text);
  Check(sequence.times.size() == sequence.answers.size());
  // Copied once; put back only after a run that replayed into it, as most
  // inputs hold no answer at all.
  static velmora::link::MessageTable table = shipped;
  static bool touched = false;
  if (sequence.Size() == 0) {
    return;
  }
  if (touched) {
    table = shipped;
  }
  touched = true;
  velmora::calib::CalibrationImage image;
  for (std::size_t i = 0; i < std::min(sequence.Size(), kMaxReplayed); ++i) {
    const auto target = acq::ReplayAnswer(sequence.answers[i], table, image);
    if (target) {
      Check(acq::TargetIndex(*target) < acq::replay_target::kTargets.size());
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const velmora::link::MessageTable shipped(velmora::fuzz::ShippedSetCom().messages);
  Check(shipped.Size() > 0);  // the shipped table was found
  const std::string_view text = velmora::fuzz::TextOf(data, size);
  CheckSetup(velmora::core::SplitCrLf(text));
  CheckReplay(text, shipped);
  const acq::SampleTable samples =
      acq::RebuildSamples(text, shipped, acq::IdsOf(acq::DefaultChannels()));
  Check(samples.live.size() % velmora::acq::logger::kStride == 0);
  return 0;
}
