// Arbitrary text as the diagnosis pages read it: an OBD correction map file
// (".tun", read back through the calibration reader), typed trouble codes,
// and the error catalogue inside a dictionary. Properties:
// - a map record that reads gives cells of one signed byte, and its file
//   written again reads back to the same record;
// - a trouble code that reads prints as the same text in upper case, and
//   every printed code reads back to itself;
// - catalogue entries never outnumber the error memory.
#include <cctype>
#include <cstdint>
#include <string>

#include "calib/calibration_file.h"
#include "core/dictionary.h"
#include "diag/error_catalogue.h"
#include "diag/mod_nex_obd.h"
#include "diag/obd_map_file.h"
#include "fuzz/fuzz_check.h"

namespace {

using velmora::fuzz::Check;
namespace calib = velmora::calib;
namespace diag = velmora::diag;

constexpr std::size_t kMaxLines = 256;

void CheckMapFile(const std::vector<std::string>& lines) {
  const calib::ParsedCalibration file =
      calib::ParseCalibration(lines, calib::Duplicates::kFirstWins);
  const velmora::Bytes& frame = file.frames[calib::Section::kTRisult];
  if (!file.Present(calib::Section::kTRisult)) {
    return;
  }
  for (const auto& row : diag::MapCells(frame)) {
    for (const int cell : row) {
      Check(cell >= -128 && cell <= 127);
    }
  }
  const std::string text = diag::MapFileText(frame, calib::ReadNote(lines));
  const calib::ParsedCalibration again =
      calib::ParseCalibration(velmora::core::SplitCrLf(text), calib::Duplicates::kFirstWins);
  Check(again.Present(calib::Section::kTRisult));
  Check(again.frames[calib::Section::kTRisult] == frame);
}

void CheckTroubleCode(const std::string& line) {
  if (const auto code = diag::DtcFromText(line)) {
    std::string upper = line;
    for (char& c : upper) {
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    Check(diag::DtcText(*code) == upper);
  }
  if (line.size() >= 2) {
    const auto code = static_cast<std::uint16_t>(static_cast<unsigned char>(line[0]) << 8 |
                                                 static_cast<unsigned char>(line[1]));
    Check(diag::DtcFromText(diag::DtcText(code)) == code);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = velmora::fuzz::TextOf(data, size);
  const std::vector<std::string> lines = velmora::core::SplitCrLf(text);
  CheckMapFile(lines);
  for (std::size_t i = 0; i < std::min(lines.size(), kMaxLines); ++i) {
    CheckTroubleCode(lines[i]);
    (void)diag::ParseCatalogueEntry(lines[i]);
  }
  velmora::core::ClsLingue lingue;
  lingue.ParseDizionario(text);
  (void)lingue.MarkerOffset("[Frm_Error]");
  if (const auto catalogue = diag::LoadCatalogue(lingue)) {
    Check(catalogue->size() <= diag::kMaxErrors);
  }
  return 0;
}
