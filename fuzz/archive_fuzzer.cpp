// Arbitrary text as a calibration archive file (".qvd", ".tun", ".xsi") read
// by the archive dialog and the single-section imports, and as the
// ConfigScale.ini blocks read beside them (smoothing weights, the QVD
// reference table). Properties:
// - the note holds no line that starts a key, and a note written under
//   "[NOTE]" reads back the same;
// - a map or axes imported from a file have the sizes of the ECU's;
// - the QVD table never grows past its breakpoint and line limits.
#include <cstdint>
#include <string>

#include "calib/calibration_file.h"
#include "calib/calibration_import.h"
#include "calib/qvd_table.h"
#include "calib/sensor_tables.h"
#include "fuzz/fuzz_check.h"

namespace {

using velmora::fuzz::Check;
namespace calib = velmora::calib;
namespace core = velmora::core;

constexpr std::size_t kRpmVectorSize = 128;
constexpr std::size_t kTimeVectorSize = 180;

void CheckNote(const std::vector<std::string>& lines) {
  const std::string note = calib::ReadNote(lines);
  for (const std::string& l : core::SplitCrLf(note)) {
    Check(l.empty() || l.front() != '[');
  }
  if (!note.empty()) {
    Check(calib::ReadNote(core::SplitCrLf("[NOTE]\r\n" + note)) == note);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> lines = core::SplitCrLf(velmora::fuzz::TextOf(data, size));
  CheckNote(lines);
  (void)calib::ReadMapFromLines(lines);
  if (const auto axes = calib::ReadAxisVectorsFromLines(lines)) {
    Check(axes->rpm.size() == kRpmVectorSize && axes->time.size() == kTimeVectorSize);
  }
  for (const std::string_view key : {"[INFO]", "[TRisult]", "[BLK_3]"}) {
    if (const auto line = calib::FindSectionLine(lines, key)) {
      Check(line->find("\r\n") == std::string::npos);
    }
  }
  const calib::SensorTables tables = calib::ReadSensorTables(lines);
  const calib::QvdTable qvd = calib::ReadQvdTable(lines);
  Check(qvd.rpm.size() <= calib::qvd::kMaxBreakpoints);
  Check(qvd.map.size() <= calib::qvd::kMaxMapLines);
  Check(tables.qvd.rpm.size() <= calib::qvd::kMaxBreakpoints);
  return 0;
}
