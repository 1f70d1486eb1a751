#include "calib/calibration_dump.h"

#include "core/hex.h"

namespace velmora::calib {

namespace {
constexpr std::string_view kCrLf = "\r\n";
}  // namespace

std::string CalibrationDump(const link::MessageTable& table, const CalibrationImage& image,
                            std::string_view caption) {
  std::string out;
  const auto line = [&out](std::string_view text) {
    out += text;
    out += kCrLf;
  };
  line(dump_text::kBlank);
  line(std::string(dump_text::kRecordTitle) + " " + std::string(caption));
  line(dump_text::kUnknown);
  for (std::size_t i = 0; i < dump_text::kRecordBytes; ++i) {
    line(std::to_string(i < image.companion.size() ? image.companion[i] : 0));
  }
  for (std::size_t e = 0; e < table.Size(); ++e) {
    const core::MessageEntry* entry = table.Entry(e);
    line(dump_text::kBlank);
    line(entry->name + " " + std::to_string(entry->number));
    line(core::BinToHex(table.LastAnswer(e)));
    for (std::size_t f = 0; f < table.FieldCount(e); ++f) {
      line(std::to_string(table.Value(e, f)));
    }
  }
  return out;
}

}  // namespace velmora::calib
