#include "diag/frm_mappetta.h"

#include <filesystem>

#include "calib/calibration_import.h"
#include "core/files.h"
#include "core/text.h"
#include "core/text_block.h"
#include "diag/diag_requests.h"
#include "diag/diag_text.h"
#include "session/request_codes.h"

namespace velmora::diag {

namespace {

namespace request = session::request;

// Entry 14: the correction agent, then the fifteen row limits.
constexpr std::size_t kAgentField = 1;
constexpr std::size_t kFirstLimitField = 30;
constexpr std::int32_t kMaxLimit = 255;
constexpr std::int64_t kRefreshUs = 2'000'000;
constexpr std::string_view kCalibrationExtension = "xsi";

constexpr maps::Rgb kNegative{0xB0, 0x30, 0x2C};
constexpr maps::Rgb kPositive{0x1E, 0x6E, 0x3F};

// 38: the file's result table into the ECU (after the user's yes), then
// the four tables read again so the window shows what the ECU holds.
bool ImportMap(const DiagLink& link, platform::MessageBox& box, const core::ClsLingue& lingue,
               const std::string& path) {
  calib::SystemDateProvider dates;
  calib::CalibrationEnv env{link.table, link.image, box, dates, calib::TextsFromDictionary(lingue)};
  const auto result = calib::LeggiMappeVcmRpmDafileEScarica(env, link.ecu, path);
  if (result.status == calib::TuningImportStatus::kRefused) {
    return true;
  }
  const bool done = result.status == calib::TuningImportStatus::kDone;
  return link::LeggiTabelleTaratura(link.ecu, &link.image.tuning) == link::kOk && done;
}

}  // namespace

FrmMappetta::FrmMappetta(pages::PageEnv& env)
    : env_(env), grid_(obd_map::kRows + 1, obd_map::kCols + 1) {
  CaricaLingua();
}

void FrmMappetta::RegisterRequests() {
  const std::string& reset_failed = texts_.obd[obd_text::kResetFailed];
  RegisterDiagWork(
      env_, alive_,
      {request::kResetPetrolTables,
       [](const DiagLink& l) { return ResetTuningTables(l, request::kResetPetrolTables); },
       reset_failed,
       {},
       false});
  RegisterDiagWork(
      env_, alive_,
      {request::kResetGasTables,
       [](const DiagLink& l) { return ResetTuningTables(l, request::kResetGasTables); },
       reset_failed,
       {},
       false});
  RegisterDiagWork(env_, alive_, {request::kReadTuningTables, ReadObdData, {}, {}, false});
  RegisterDiagWork(env_, alive_, {request::kReadAdaptive, ReadAdaptiveMap, {}, {}, false});
  RegisterDiagWork(
      env_, alive_,
      {request::kTuningResultFromFile,
       [this](const DiagLink& l) { return ImportMap(l, env_.box, env_.lingue, open_path_); },
       texts_.obd[obd_text::kLoadFailed],
       {},
       false});
}

void FrmMappetta::CaricaLingua() {
  texts_ = ObdTextsFrom(env_.lingue);
  caption_ = texts_.obd[obd_text::kCorrectionMap];
  agent_items_.clear();
  for (const std::string& item : core::Split(texts_.obd[obd_text::kAgentItems], '|')) {
    agent_items_.emplace_back(core::Trim(item));
  }
  shown_agent_.reset();
  FillHeadings();
  RegisterRequests();
}

void FrmMappetta::FillHeadings() {
  grid_.SetText(0, 0, "rpm \\ ms");
  for (int r = 0; r < obd_map::kRows; ++r) {
    grid_.SetText(r + 1, 0, std::to_string(r * obd_map::kRowRpm));
  }
  for (int c = 0; c < obd_map::kCols; ++c) {
    grid_.SetText(0, c + 1, std::to_string(c * obd_map::kColMs));
  }
}

void FrmMappetta::AggiornaGrigliaMappetta() {
  const ObdMapCells cells = MapCells(env_.image.tuning.trisult);
  for (int r = 0; r < obd_map::kRows; ++r) {
    for (int c = 0; c < obd_map::kCols; ++c) {
      const int v = cells[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
      grid_.SetText(r + 1, c + 1, std::to_string(v));
      grid_.SetFore(r + 1, c + 1, v < 0 ? kNegative : (v > 0 ? kPositive : maps::colour::kBlack));
    }
  }
}

void FrmMappetta::AggiornaVariabiliMappettaSatellite() {
  const std::int64_t now = env_.clock.NowMicros();
  if (now > next_refresh_us_ && env_.session.SlotFree()) {
    (void)env_.session.PostRequest(request::kReadTuningTables);
    next_refresh_us_ = now + kRefreshUs;
  }
  ShowCell();
  if (!shown_map_ || *shown_map_ != env_.image.tuning.trisult) {
    shown_map_ = env_.image.tuning.trisult;
    AggiornaGrigliaMappetta();
  }
  AggiornaParametriObdMappettaSatellite();
  ShowEcuSettings();
}

void FrmMappetta::ShowCell() {
  const auto cell = CurrentCell(env_.table);
  if (cell != cell_) {
    cell_ = cell;
    // The grid's current cell is the engine's: the view highlights it.
    if (cell_) {
      grid_.SetCurrent({cell_->row + 1, cell_->col + 1});
    }
  }
}

void FrmMappetta::AggiornaParametriObdMappettaSatellite() {
  live_ = ReadObdLive(env_.table);
}

void FrmMappetta::ShowEcuSettings() {
  if (env_.table.LastAnswer(diag_entry::kObdData2).empty()) {
    return;
  }
  for (std::size_t r = 0; r < limits_.size(); ++r) {
    const std::int32_t v = env_.table.Value(diag_entry::kObdData2, kFirstLimitField + r);
    if (shown_limits_[r] != v && !limits_tag_) {
      shown_limits_[r] = v;
      limits_[r] = std::to_string(v);
    }
  }
  const std::int32_t agent = env_.table.Value(diag_entry::kObdData2, kAgentField);
  if (shown_agent_ != agent && !agent_tag_) {
    shown_agent_ = agent;
    agent_choice_ = -1;
    for (std::size_t k = 0; k < agent_items_.size(); ++k) {
      const auto n = LeadingNumber(agent_items_[k]);
      if (n && static_cast<std::int32_t>(*n) == agent) {
        agent_choice_ = static_cast<int>(k);
      }
    }
  }
}

void FrmMappetta::SetLimitText(int row, std::string text) {
  if (row >= 0 && row < obd_map::kRows) {
    limits_[static_cast<std::size_t>(row)] = std::move(text);
  }
}

void FrmMappetta::ChooseAgent(int choice) {
  if (choice >= 0 && choice < static_cast<int>(agent_items_.size())) {
    agent_choice_ = choice;
    agent_tag_ = true;
  }
}

void FrmMappetta::AggiornamentoMappetta() {
  if ((!limits_tag_ && !agent_tag_) || !env_.session.SlotFree()) {
    return;
  }
  session::WriteLists& lists = env_.session.Lists();
  bool bad = false;
  for (std::size_t r = 0; limits_tag_ && r < limits_.size(); ++r) {
    const auto v = core::ParseInt32(limits_[r]);
    if (!v || *v < 0 || *v > kMaxLimit) {
      bad = true;  // this row keeps what the ECU holds
      continue;
    }
    lists.Append(diag_entry::kObdData2, {*v, static_cast<std::int32_t>(kFirstLimitField + r), 0});
  }
  if (agent_tag_ && agent_choice_ >= 0) {
    const auto n = LeadingNumber(agent_items_[static_cast<std::size_t>(agent_choice_)]);
    if (n) {
      lists.Append(diag_entry::kObdData2,
                   {static_cast<std::int32_t>(*n), static_cast<std::int32_t>(kAgentField), 0});
    }
  }
  notice_ = bad ? texts_.obd[obd_text::kBadLimit] : std::string();
  if (!env_.session.PostRequest(request::kEntry14List)) {
    lists.Clear(diag_entry::kObdData2);
    return;
  }
  limits_tag_ = agent_tag_ = false;
  shown_limits_.fill(std::nullopt);
  shown_agent_.reset();
}

std::string FrmMappetta::MapFilter() const {
  const std::string ext = std::string("*.") + std::string(obd_map::kExtension) + ";*." +
                          std::string(kCalibrationExtension);
  return texts_.obd[obd_text::kMapFiles] + " (" + ext + ")|" + ext;
}

void FrmMappetta::HandleFileButtons() {
  if ((!open_tag_ && !reset_tag_ && !save_tag_) || !env_.session.SlotFree()) {
    return;
  }
  // The hold keeps the session from starting anything while a dialog is up.
  (void)env_.session.PostRequest(request::kFileDialogHold);
  if (open_tag_) {
    open_tag_ = false;
    OpenChosenFile();
  } else if (reset_tag_) {
    reset_tag_ = false;
    env_.session.ReleaseRequest(request::kFileDialogHold);
    (void)env_.session.PostRequest(request::kResetGasTables);
  } else {
    save_tag_ = false;
    SaveChosenFile();
  }
  env_.session.ReleaseRequest(request::kFileDialogHold);
}

void FrmMappetta::OpenChosenFile() {
  const std::string path = env_.window.ChooseFile(
      {false, MapFilter(), env_.paths.data_dir, texts_.obd[obd_text::kOpenMap]});
  if (path.empty() || !core::EsisteFile(path)) {
    return;
  }
  open_path_ = path;
  env_.session.ReleaseRequest(request::kFileDialogHold);
  (void)env_.session.PostFileRequest(request::kTuningResultFromFile, path);
}

void FrmMappetta::SaveChosenFile() {
  const std::string path = env_.window.ChooseFile(
      {true, MapFilter(), env_.paths.data_dir, texts_.obd[obd_text::kSaveMap]});
  if (path.empty()) {
    return;
  }
  if (!SaveMapFile(path, env_.image.tuning.trisult, env_.main_title)) {
    env_.box.Show(texts_.obd[obd_text::kSaveFailed], env_.main_title, platform::BoxKind::Critical);
    return;
  }
  caption_ += " - [" + std::filesystem::path(path).filename().string() + "] ";
}

std::string FrmMappetta::CopyText() const {
  std::string text;
  for (int r = 1; r < grid_.Rows(); ++r) {
    for (int c = 1; c < grid_.Cols(); ++c) {
      text += grid_.Text(r, c);
      text += c + 1 < grid_.Cols() ? "\t" : "\n";
    }
  }
  return text;
}

void FrmMappetta::Shown() {
  shown_map_.reset();
  shown_limits_.fill(std::nullopt);
  shown_agent_.reset();
  ShowCell();
  shown_map_ = env_.image.tuning.trisult;
  AggiornaGrigliaMappetta();
  AggiornaParametriObdMappettaSatellite();
  ShowEcuSettings();
}

void FrmMappetta::LiveTick() {
  AggiornaVariabiliMappettaSatellite();
  AggiornamentoMappetta();
  HandleFileButtons();
}

}  // namespace velmora::diag
