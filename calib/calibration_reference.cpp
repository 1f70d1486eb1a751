#include "calib/calibration_reference.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "calib/calibration_file.h"
#include "calib/calibration_frames.h"
#include "calib/calibration_import.h"
#include "calib/calibration_sections.h"
#include "core/files.h"
#include "core/hex.h"
#include "core/text.h"

namespace velmora::calib {

std::vector<ReferenceCalibration> ListReferenceCalibrations(const link::MessageTable& table,
                                                            const std::string& lng_dir) {
  namespace fs = std::filesystem;
  std::vector<ReferenceCalibration> out;
  std::error_code ec;
  for (fs::directory_iterator it(lng_dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) {
      continue;
    }
    const fs::path& p = it->path();
    if (!IsCurrentFile(p.filename().string())) {
      continue;
    }
    ReferenceCalibration r;
    r.path = p.string();
    r.name = p.stem().string();
    r.system_id = ReadBlockVariableFromFile(table, static_cast<std::size_t>(entry::kBlock6), r.path,
                                            InfoOf(Section::kBlk6).key, kSystemIdField);
    out.push_back(std::move(r));
  }
  std::sort(
      out.begin(), out.end(),
      [](const ReferenceCalibration& a, const ReferenceCalibration& b) { return a.name < b.name; });
  return out;
}

std::string ChooseReferenceFile(const std::vector<ReferenceCalibration>& list,
                                std::int32_t ecu_system_id, const std::string& default_path) {
  for (const ReferenceCalibration& r : list) {
    if (r.system_id == ecu_system_id) {
      return r.path;
    }
  }
  return default_path;
}

int FillDefaultBlockImages(link::MessageTable& table, const std::string& reference_path,
                           const CapabilityFlags& flags) {
  std::vector<std::string> lines;
  if (!core::LeggiRighe(reference_path, lines)) {
    return 0;
  }
  std::vector<Section> wanted;
  if (!flags.direct_injection) {
    wanted.push_back(Section::kBlkDinst);
  }
  if (!flags.obd_errors) {
    wanted.push_back(Section::kObdErr);
    wanted.push_back(Section::kObdInfoErr);
  }
  int filled = 0;
  for (const Section s : wanted) {
    const SectionInfo& info = InfoOf(s);
    const auto line = FindSectionLine(lines, info.key);
    if (!line) {
      continue;
    }
    auto frame = core::HexToBin(core::Trim(*line));
    if (!frame || !SectionFrameValid(s, *frame)) {
      continue;
    }
    const auto e = static_cast<std::size_t>(info.entry);
    table.SetLastAnswer(e, *frame);
    table.DecodificaRisposta(*frame, e);
    ++filled;
  }
  return filled;
}

}  // namespace velmora::calib
