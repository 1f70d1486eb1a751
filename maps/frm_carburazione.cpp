#include "maps/frm_carburazione.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "calib/calibration_reference.h"
#include "core/paths.h"

namespace velmora::maps {

FrmCarburazione::FrmCarburazione(MapPageEnv& env, int map)
    : MapPage(env, map, carb::kGridSide, carb::kGridSide) {
  Grid().SetFont(std::string(carb_text::kFont));
}

void FrmCarburazione::Load() {
  MapPage::Load();
  Bytes& block = Env().image.companion;
  if (block.size() >= config_block::kSize) {
    block[config_block::kByte2] = config_block::kByte2OnLoad;
    block[config_block::kByte3] = config_block::kByte3OnLoad;
  }
  Suppress s(*this);
  carb_.spiana_tag = false;
  carb_.spiana_checked = SteppedInEcu();
}

void FrmCarburazione::CaricaLingua(const core::ClsLingue& lingue) {
  MapPage::CaricaLingua(lingue);
  const int off = lingue.MarkerOffset(matrix_text::kMarker);
  if (off <= 0) {
    return;
  }
  const auto text = [&](int k, std::string& out) {
    std::string t = lingue.Testo(off, k);
    if (!t.empty()) {
      out = std::move(t);
    }
  };
  text(carb_text::kTitle, carb_texts_.title);
  text(carb_text::kRpm, carb_texts_.rpm);
  text(carb_text::kMs, carb_texts_.ms);
  text(carb_text::kBar, carb_texts_.bar);
  text(carb_text::kStepped, carb_texts_.stepped);
  text(carb_text::kShading, carb_texts_.shading);
  text(carb_text::kDefault, carb_texts_.reset);
  text(carb_text::kPrincipal, carb_texts_.principal);
  text(carb_text::kComputed, carb_texts_.computed);
  text(carb_text::kStep, carb_texts_.step);
}

bool FrmCarburazione::SteppedInEcu() const {
  return (Env().table.Value(spiana_flag::kEntry, spiana_flag::kField) & spiana_flag::kBit) != 0;
}

void FrmCarburazione::CaricaAssi() {
  const calib::CalibrationImage& img = Env().image;
  if (MapIndex() != map_info::kPressureMap) {
    carb::CaricaAssiInMatrice(Grid(), img.rpm_vector, img.time_vector);
    return;
  }
  Bytes pressure;
  for (int r = 0; r < carb::kTimeRows; ++r) {
    const std::int32_t v = Env().table.Value(
        pressure_axis::kEntry, pressure_axis::kFirstField + static_cast<std::size_t>(r));
    pressure.push_back(static_cast<std::uint8_t>(std::clamp(v, 0, 255)));
  }
  const PressureLine line = PressureLineFor(
      Env().coefficients,
      Env().table.Value(pressure_axis::kSystemIdEntry, pressure_axis::kSystemIdField));
  carb::CaricaAssiInMatricePressione(Grid(), img.rpm_vector, pressure, line);
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

void FrmCarburazione::AggiornaCursMappaExtra() {
  if (carb_.spiana_tag) {
    SendSpiana();
    return;
  }
  Suppress s(*this);
  carb_.spiana_checked = SteppedInEcu();
}

void FrmCarburazione::SpianaClick(bool checked) {
  if (Suppressed()) {
    return;
  }
  carb_.spiana_checked = checked;
  carb_.spiana_tag = true;
  SendSpiana();
}

void FrmCarburazione::SendSpiana() {
  pages::PageSession& session = Env().session;
  if (!carb_.spiana_tag || !session.SlotFree()) {
    return;
  }
  const session::WriteRecord record{carb_.spiana_checked ? 1 : 0, spiana_flag::kField,
                                    spiana_flag::kBit};
  if (!session.Lists().Append(spiana_flag::kEntry, record)) {
    carb_.spiana_tag = false;
    return;
  }
  if (session.PostRequest(spiana_flag::kRequest)) {
    carb_.spiana_tag = false;
  }
}

void FrmCarburazione::GradienteClick(bool checked) {
  if (Suppressed()) {
    return;
  }
  carb_.gradient_checked = checked;
  Shade();
}

std::string FrmCarburazione::ResetFile() const {
  std::string path;
  if (!chosen_.empty()) {
    path = Env().lng_dir + core::kSep + chosen_ + std::string(carb_text::kCalibrationExtension);
  } else {
    const auto list = calib::ListReferenceCalibrations(Env().table, Env().lng_dir);
    path = calib::ChooseReferenceFile(
        list, Env().table.Value(pressure_axis::kSystemIdEntry, pressure_axis::kSystemIdField), {});
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
