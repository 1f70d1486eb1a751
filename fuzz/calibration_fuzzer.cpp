// Arbitrary text through the calibration file readers and the load's
// preparation, without an ECU. The first input byte chooses the hardware
// generation, the file kind and the ECU's cylinder count; the rest is the
// file. Properties:
// - a section the readers call present passes the section's own frame check;
// - the load's preparation refuses a file with a damaged section it reads,
//   and every request it builds is a sound request frame;
// - opening the file and saving the image again gives a text whose sections
//   all read back undamaged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "calib/calibration_file.h"
#include "calib/calibration_frames.h"
#include "calib/calibration_image.h"
#include "calib/calibration_import.h"
#include "calib/calibration_load.h"
#include "calib/calibration_save.h"
#include "core/files.h"
#include "core/set_com.h"
#include "link/ecu_frame.h"
#include "link/message_table.h"

namespace {

using velmora::Bytes;
namespace calib = velmora::calib;
namespace core = velmora::core;

void Check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

// A message table shaped like the shipped one: every entry a run of one-byte
// fields over its data bytes, entry 2 with 16-bit counters.
std::vector<core::MessageEntry> Layouts() {
  constexpr std::size_t kDataBytes[21] = {62, 120, 20, 75, 64,  16, 16, 32, 32, 47, 32,
                                          88, 88,  34, 48, 112, 56, 32, 64, 22, 22};
  std::vector<core::MessageEntry> out;
  for (std::size_t e = 0; e < 21; ++e) {
    core::MessageEntry m;
    m.number = static_cast<std::int32_t>(e);
    m.request_hex = "4102030D4D";
    std::int32_t position = 6;
    for (std::size_t k = 0; k < kDataBytes[e];) {
      const bool word = e == 2 && k >= 3 && k + 1 < kDataBytes[e];
      m.fields.push_back({word ? "UW" : "UB", position, 1});
      position += word ? 2 : 1;
      k += word ? 2 : 1;
    }
    m.values.assign(m.fields.size(), 0);
    out.push_back(std::move(m));
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::uint8_t choice = size > 0 ? data[0] : 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0),
                              size > 0 ? size - 1 : 0);
  const std::vector<std::string> lines = core::SplitCrLf(text);

  // Built once; each run starts from a copy assigned over the last run's
  // table, which reuses its storage instead of building every field again.
  static const velmora::link::MessageTable layouts(Layouts());
  static velmora::link::MessageTable table;
  table = layouts;
  table.SetValue(5, 6, choice >> 4);  // the connection block's cylinder count
  const int generation = choice & 0x03;
  const bool current = (choice & 0x04) != 0;

  const calib::ParsedCalibration file =
      calib::ParseCalibration(lines, calib::Duplicates::kLaterWins);
  const calib::ParsedCalibration first =
      calib::ParseCalibration(lines, calib::Duplicates::kFirstWins);
  for (const calib::ParsedCalibration* parsed : {&file, &first}) {
    for (const calib::SectionInfo& s : calib::kSections) {
      if (parsed->Present(s.id)) {
        Check(calib::SectionFrameValid(s.id, parsed->frames[s.id]));
      } else {
        Check(parsed->frames[s.id].empty());
      }
    }
  }

  bool damaged = false;
  for (const calib::SectionInfo& s : calib::kSections) {
    damaged = damaged || (calib::LoadReads(s.id) && file.Damaged(s.id));
  }
  const calib::LoadInputs inputs{
      table, calib::FlagsForGeneration(generation), generation, current, [](std::size_t field) {
        return std::optional<std::int32_t>(static_cast<std::int32_t>(field));
      }};
  const auto plan = calib::PrepareLoad(file, inputs);
  Check(plan.has_value() != damaged);
  if (plan) {
    for (const calib::LoadRequest& r : plan->requests) {
      Check(r.frame.size() >= 5 && r.frame[0] == 0x41 && r.frame[1] == 0x02);
      Check(r.frame[2] + 2u == r.frame.size());
      Check(velmora::link::CheckXor(r.frame) == 0);
    }
  }

  calib::CalibrationImage image;
  image.SetGeneration(generation);
  calib::ApplyToImage(file, table, image);
  const calib::CalibrationFrames frames = calib::FramesFromImage(table, image);
  const std::string saved = calib::ComposeCalibrationText(
      {calib::InfoLine("t", "v", {1, 1, 2000}), image.note}, frames, image.flags.adaptive_maps);
  const calib::ParsedCalibration again =
      calib::ParseCalibration(core::SplitCrLf(saved), calib::Duplicates::kLaterWins);
  for (const calib::SectionInfo& s : calib::kSections) {
    Check(!again.Damaged(s.id));
  }
  return 0;
}
