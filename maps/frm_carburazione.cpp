#include "maps/frm_carburazione.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "calib/calibration_reference.h"
#include "core/paths.h"
#include "core/text_block.h"

namespace velmora::maps {

FrmCarburazione::FrmCarburazione(MapPageEnv& env, int map)
    : MapPage(env, map, carb::kGridSide, carb::kGridSide) {
  Grid().SetFont(std::string(carb_text::kFont));
}

void FrmCarburazione::Load() {
  MapPage::Load();
  Suppress s(*this);
  carb_.stepped_tag = false;
  carb_.stepped_checked = SteppedInEcu();
}

void FrmCarburazione::CaricaLingua(const core::ClsLingue& lingue) {
  MapPage::CaricaLingua(lingue);
  const core::TextBlock block(lingue, matrix_text::kMarker);
  block.Take(carb_text::kTitle, carb_texts_.title);
  block.Take(carb_text::kRpm, carb_texts_.rpm);
  block.Take(carb_text::kMs, carb_texts_.ms);
  block.Take(carb_text::kBar, carb_texts_.bar);
  block.Take(carb_text::kStepped, carb_texts_.stepped);
  block.Take(carb_text::kShading, carb_texts_.shading);
  block.Take(carb_text::kDefault, carb_texts_.reset);
  block.Take(carb_text::kPrincipal, carb_texts_.principal);
  block.Take(carb_text::kComputed, carb_texts_.computed);
  block.Take(carb_text::kStep, carb_texts_.step);
}

bool FrmCarburazione::SteppedInEcu() const {
  return (Env().table.Value(stepped_flag::kEntry, stepped_flag::kField) & stepped_flag::kBit) != 0;
}

void FrmCarburazione::ShowHeadings(std::span<const std::uint8_t> rpm,
                                   std::span<const std::uint8_t> time) {
  carb::CaricaAssiInMatrice(Grid(), rpm, time);
}

void FrmCarburazione::ShowPressureHeadings(std::span<const std::uint8_t> rpm,
                                           std::span<const std::uint8_t> pressure,
                                           PressureLine line) {
  carb::CaricaAssiInMatricePressione(Grid(), rpm, pressure, line);
}

CellPos FrmCarburazione::WorkingPointCell() const {
  const CellPos big = Controls().working_point;  // time index + 1, rpm index + 1
  const auto small = [](int index) { return std::clamp(index / 2 + 1, 1, carb::kSide); };
  return {small(big.row - 1), small(big.col - 1)};
}

void FrmCarburazione::LoadGrid() {
  carb::CaricaMatriceInGriglia(Grid(), MapBytes(), 1);
}

bool FrmCarburazione::StoreGrid() {
  if (!carb::CaricaGrigliaInMatrice(Grid(), Map(), 1, SteppedInEcu())) {
    Env().box.Show(carb_text::kStoreFailed, Env().main_title, platform::BoxKind::Critical);
    return false;
  }
  return true;
}

void FrmCarburazione::Shade() {
  carb::ColoraMatriceGradiente2(Grid(), carb_.gradient_checked);
}

void FrmCarburazione::BeforeEdit() {
  // Cells changed since the last store (a paste that left text behind, a
  // write that failed) are dropped: the edit starts from the map.
  LoadGrid();
}

void FrmCarburazione::FollowOwnControls() {
  if (carb_.stepped_tag) {
    SendStepped();
    return;
  }
  Suppress s(*this);
  carb_.stepped_checked = SteppedInEcu();
}

void FrmCarburazione::SteppedClick(bool checked) {
  if (Suppressed()) {
    return;
  }
  carb_.stepped_checked = checked;
  carb_.stepped_tag = true;
  SendStepped();
}

void FrmCarburazione::SendStepped() {
  pages::PageSession& session = Env().session;
  if (!carb_.stepped_tag || !session.SlotFree()) {
    return;
  }
  const session::WriteRecord record{carb_.stepped_checked ? 1 : 0, stepped_flag::kField,
                                    stepped_flag::kBit};
  if (!session.Lists().Append(stepped_flag::kEntry, record)) {
    carb_.stepped_tag = false;
    return;
  }
  if (session.PostRequest(stepped_flag::kRequest)) {
    carb_.stepped_tag = false;
  }
}

void FrmCarburazione::GradientClick(bool checked) {
  if (Suppressed()) {
    return;
  }
  carb_.gradient_checked = checked;
  Shade();
}

std::string FrmCarburazione::ResetFile() const {
  std::string path;
  // The page's own choice, else the switch-over page's calibration list.
  const std::string& chosen = !chosen_.empty() ? chosen_ : Env().session.ChosenCalibration();
  if (!chosen.empty()) {
    path = Env().lng_dir + core::kSep + chosen + std::string(carb_text::kCalibrationExtension);
  } else {
    const auto list = calib::ListReferenceCalibrations(Env().table, Env().lng_dir);
    path = calib::ChooseReferenceFile(list, SystemId(), {});
  }
  std::error_code ec;
  if (path.empty() || !std::filesystem::is_regular_file(path, ec)) {
    return {};
  }
  return path;
}

ResetOutcome FrmCarburazione::ResetMap() {
  if (!Env().session.SlotFree()) {
    return ResetOutcome::kBusy;
  }
  const std::string& question = Texts().reset_question;
  if (!Env().box.Ask(question.empty() ? carb_text::kResetFallback : question, Env().main_title)) {
    return ResetOutcome::kDeclined;
  }
  std::string path = ResetFile();
  if (path.empty()) {
    return ResetOutcome::kNoFile;
  }
  return Env().session.PostFileRequest(session::request::kLoadMaps, std::move(path))
             ? ResetOutcome::kPosted
             : ResetOutcome::kBusy;
}

}  // namespace velmora::maps
