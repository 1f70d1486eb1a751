// Arbitrary ECU answers through every decoder the session and the pages put
// answers through, with the shipped message table and firmware lists. The
// first input byte picks the entry the answer is decoded into, the rest is
// the answer. Properties:
// - an identification has its fixed sizes, a firmware match names an entry
//   of the list, a firmware year has four digits;
// - the engine's map cell lies in the map, the OBD map cells are signed
//   bytes;
// - a stored frame's data is shorter than the frame, and an answer the
//   replay accepts is one the session has a target for.
#include <cstdint>

#include "acq/replay_sequence.h"
#include "calib/calibration_frames.h"
#include "calib/calibration_image.h"
#include "calib/calibration_load.h"
#include "calib/calibration_sections.h"
#include "core/hex.h"
#include "diag/obd_live.h"
#include "diag/obd_map_file.h"
#include "firmware/firmware_identity.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/shipped_set_com.h"
#include "link/ecu_identity.h"
#include "link/message_table.h"
#include "pages/ecu_summary.h"

namespace {

using velmora::Bytes;
using velmora::fuzz::Check;
namespace link = velmora::link;

void CheckIdentity(std::span<const std::uint8_t> answer) {
  if (const auto id = link::ParseIdentification(answer)) {
    Check(id->version.size() == link::kVersionFieldSize);
    Check(id->text.size() == link::kIdentificationSize - link::kVersionFieldSize);
  }
  const auto& first = velmora::fuzz::ShippedSetCom().firmware1;
  if (const auto match = link::MatchIdentity(answer, first)) {
    Check(match->entry >= 1 && static_cast<std::size_t>(match->entry) <= first.size());
  }
  const auto firmware = velmora::firmware::EcuFirmwareOf(answer);
  if (firmware.identity) {
    (void)firmware.identity->VersionText();
    (void)firmware.identity->Words();
    (void)firmware.identity->HardwareWord();
  }
  if (const auto year = velmora::calib::FirmwareYear(answer)) {
    Check(*year >= 0 && *year <= 9999);
  }
}

void CheckFrames(const Bytes& answer) {
  namespace calib = velmora::calib;
  const Bytes data = calib::FrameData(answer);
  Check(data.empty() || data.size() < answer.size());
  for (const calib::SectionInfo& s : calib::kSections) {
    if (calib::SectionFrameValid(s.id, answer)) {
      Check(calib::FrameWellFormed(answer));
    }
  }
  for (const auto& row : velmora::diag::MapCells(answer)) {
    for (const int cell : row) {
      Check(cell >= -128 && cell <= 127);
    }
  }
}

void CheckTable(link::MessageTable& table, std::size_t entry, const Bytes& answer) {
  table.SetLastAnswer(entry, answer);
  table.DecodificaRisposta(answer, entry);
  (void)velmora::diag::ReadObdLive(table);
  if (const auto cell = velmora::diag::CurrentCell(table)) {
    Check(cell->row >= 0 && cell->row < velmora::diag::obd_map::kRows);
    Check(cell->col >= 0 && cell->col < velmora::diag::obd_map::kCols);
  }
  (void)velmora::pages::EcuSummaryOf(table, true, static_cast<int>(entry % 4) - 1, 1);
  (void)velmora::pages::MakeEcuSummary(answer, 2, 3, std::nullopt);

  velmora::calib::CalibrationImage image;
  const auto target = velmora::acq::ReplayAnswer(velmora::core::BinToHex(answer), table, image);
  Check(target.has_value() == velmora::acq::TargetOf(answer).has_value());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const link::MessageTable shipped(velmora::fuzz::ShippedSetCom().messages);
  Check(shipped.Size() > 0);  // the shipped table was found
  if (size == 0) {
    return 0;
  }
  // Assigned over the last run's table: the same fresh values, without
  // allocating every field of the shipped layout again.
  static link::MessageTable table;
  table = shipped;
  const std::size_t entry = data[0] % table.Size();
  const Bytes answer(data + 1, data + size);
  CheckIdentity(answer);
  CheckFrames(answer);
  CheckTable(table, entry, answer);
  return 0;
}
