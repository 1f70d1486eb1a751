// The workstation's page table: one line per page.
#include <array>

#include "acq/frm_logger.h"
#include "diag/diag_pages.h"
#include "diag/frm_error.h"
#include "diag/obd_texts.h"
#include "firmware/frm_firmware.h"
#include "maps/frm_compensa.h"
#include "maps/map_page_model.h"
#include "pages/archive_texts.h"
#include "pages/compare_model.h"
#include "pages/dashboard_model.h"
#include "pages/frm_kvx_commutazione.h"
#include "pages/gas_management_page.h"
#include "pages/lambda_page.h"
#include "pages/page_codes.h"
#include "pages/sensors_page.h"
#include "pages/shell_texts.h"
#include "tuning/frm_autotuning.h"
#include "ui/acq_pages.h"
#include "ui/compare_page.h"
#include "ui/config_pages.h"
#include "ui/connection_page.h"
#include "ui/dashboard_page.h"
#include "ui/diag_views.h"
#include "ui/frm_autotuning_page.h"
#include "ui/frm_carburazione_page.h"
#include "ui/frm_compensa_page.h"
#include "ui/frm_firmware_page.h"
#include "ui/frm_kvx_commutazione_page.h"
#include "ui/frm_kvx_connected.h"
#include "ui/frm_kvx_language.h"
#include "ui/frm_matrix_page.h"
#include "ui/frm_seq_inj_page.h"
#include "ui/page_view.h"

namespace velmora::ui {

namespace {

using Model = std::unique_ptr<pages::PageModel>;

// A page whose behaviour is all in its view and the window around it.
Model Plain(PageEnv& /*env*/, int /*code*/) {
  return std::make_unique<pages::PageModel>();
}

Model Dashboard(PageEnv& env, int /*code*/) {
  return std::make_unique<pages::DashboardModel>(env.page.table);
}

Model MapGrid(PageEnv& env, int code) {
  return maps::NewMapGridModel(env.maps, code);
}

Model Carburation(PageEnv& env, int code) {
  return maps::NewCarburationModel(env.maps, code);
}

Model Compare(PageEnv& env, int /*code*/) {
  return std::make_unique<pages::CompareModel>(env.page);
}

Model Firmware(PageEnv& env, int /*code*/) {
  return std::make_unique<firmware::FrmFirmware>(env.page, env.firmware);
}

Model AutoTuning(PageEnv& env, int /*code*/) {
  return std::make_unique<tuning::FrmAutoTuning>(
      env.page, env.tuning != nullptr ? tuning::ProcedureOver(env.page, *env.tuning)
                                      : tuning::TuningProcedure{});
}

PageView DashboardView(const ViewEnv& env, pages::PageModel& model) {
  auto* m = ModelOf<pages::DashboardModel>(model);
  if (m == nullptr) {
    return {};
  }
  auto* page = new DashboardPage(&env.state.lingue);
  return {page, [page, m] { m->Values() ? page->SetValues(*m->Values()) : page->Clear(); }};
}

PageView LanguageView(const ViewEnv& env, pages::PageModel& /*model*/) {
  ShellActions& shell = env.shell;
  return {
      new LanguagePage(env.state.lingue, env.state.main_title, [&shell] { shell.RecaptionAll(); }),
      {}};
}

PageView ConnectionView(const ViewEnv& env, pages::PageModel& /*model*/) {
  auto* page = new ConnectionPage(&env.state.lingue);
  ShellActions& shell = env.shell;
  FrmKvxConnected* link = page->Link();
  link->SetOnPortChosen(
      [&shell, link](std::size_t line) { shell.ChoosePort(link->Listing(), line); });
  link->SetOnToggle([&shell] { shell.ToggleConnection(); });
  page->SetOnChangeSwitchOver([&shell] { shell.OpenSwitchOverDialog(); });
  return {page, {}};
}

Model Compensation(PageEnv& env, int code) {
  return maps::NewCompensationModel(env.page, code);
}

Model SwitchOver(PageEnv& env, int code) {
  return pages::NewSwitchOverModel(env.page, code);
}

// A page whose view is `View` over the model `M` of its line.
template <class View, class M>
PageView ViewOver(const ViewEnv& env, pages::PageModel& model) {
  auto* m = ModelOf<M>(model);
  if (m == nullptr) {
    return {};
  }
  auto* page = new View(*m, &env.state.lingue);
  return {page, [page] { page->Refresh(); }};
}

constexpr ViewFactory kCompensationView = &ViewOver<FrmCompensaPage, maps::FrmCompensa>;
constexpr ViewFactory kSwitchOverView =
    &ViewOver<FrmKvxCommutazionePage, pages::FrmKvxCommutazione>;

PageView CompareView(const ViewEnv& /*env*/, pages::PageModel& model) {
  auto* m = ModelOf<pages::CompareModel>(model);
  if (m == nullptr) {
    return {};
  }
  auto* page = new ComparePage(*m);
  return {page, [page] { page->Refresh(); }};
}

PageView AutoTuningView(const ViewEnv& /*env*/, pages::PageModel& model) {
  auto* m = ModelOf<tuning::FrmAutoTuning>(model);
  if (m == nullptr) {
    return {};
  }
  auto* page = new FrmAutoTuningPage(*m);
  return {page, [page] { page->Refresh(); }};
}

PageView FirmwareView(const ViewEnv& /*env*/, pages::PageModel& model) {
  auto* m = ModelOf<firmware::FrmFirmware>(model);
  if (m == nullptr) {
    return {};
  }
  auto* page = new FrmFirmwarePage(*m);
  return {page, [page] { page->Refresh(); }};
}

template <class View, class Page>
PageView MapView(const ViewEnv& env, pages::PageModel& model) {
  auto* m = ModelOf<maps::MapPageModel<Page>>(model);
  if (m == nullptr) {
    return {};
  }
  auto* page = new View(m->Model(), &env.state.lingue);
  page->CaricaLingua();
  return {page, [page] { page->Refresh(); }};
}

constexpr ViewFactory kGridView = &MapView<FrmMatrixPage, maps::FrmMatrix>;
constexpr ViewFactory kCarbView = &MapView<FrmCarburazionePage, maps::FrmCarburazione>;

namespace pc = pages::page_code;
namespace gw = pages::generale_window_text;
namespace mw = pages::main_text;
namespace mt = maps::matrix_text;
namespace ct = maps::compensa_text;
namespace cf = pages::config_text;
namespace ft = firmware::firmware_text;
using pages::kOwnRow;
constexpr const auto& kMaps = maps::map_info::kMaps;

// A map's grid and carburation views share the map's row, which opens the
// view the map's flag chooses.
const std::array<WorkstationPage, 23> kPages = {{
    // clang-format off
    {{pc::kMainMenu, "dashboard", kOwnRow, {gw::kMarker, gw::kNavStatus, "ECU status"}, "F2"}, Dashboard, DashboardView},
    {{pc::kLanguage, "language", kOwnRow, {gw::kMarker, gw::kNavLanguage, "Language"}, "Ctrl+L"}, Plain, LanguageView},
    {{pc::kConnection, "connection", kOwnRow, {mw::kMarker, mw::kConnection, "Connection"}, "F3"}, Plain, ConnectionView},
    {{kMaps[0].grid_page, "map-grid", kOwnRow, {mt::kMarker, mt::kMapEntries, "Map 1 - base"}, "F5"}, MapGrid, kGridView},
    {{kMaps[1].grid_page, "map-grid-adaptive", kOwnRow, {mt::kMarker, mt::kMapEntries + 1, "Map 2 - adaptive"}, "F6"}, MapGrid, kGridView},
    {{kMaps[2].grid_page, "map-grid-pressure", kOwnRow, {mt::kMarker, mt::kMapEntries + 2, "Map 3 - pressure"}, "F7"}, MapGrid, kGridView},
    {{kMaps[0].carb_page, "carburation", kMaps[0].grid_page, {}, {}}, Carburation, kCarbView},
    {{kMaps[1].carb_page, "carburation-adaptive", kMaps[1].grid_page, {}, {}}, Carburation, kCarbView},
    {{kMaps[2].carb_page, "carburation-pressure", kMaps[2].grid_page, {}, {}}, Carburation, kCarbView},
    {{session::page_id::kLambda, "lambda", kOwnRow, {pages::lambda_text::kMarker, pages::lambda_text::kCaption, "Lambda probes"}, "Ctrl+1"}, NewLambdaModel, LambdaView},
    {{pages::kSensorsPageCode, "sensors", kOwnRow, pages::sensors_text::kTitle, "Ctrl+2"}, NewSensorsModel, SensorsView},
    {{session::page_id::kManagement, "gas-management", kOwnRow, {pages::management_text::kMarker, pages::management_text::kCaption, "Gas management"}, "Ctrl+3"}, NewManagementModel, ManagementView},
    {{session::page_id::kInjectionSequence, "sequence", kOwnRow, {tuning::seq_text::kMarker, tuning::seq_text::kPageString, "Injection sequence"}, "Ctrl+I"}, NewSeqInjPageModel, SeqInjView},
    {{tuning::kAutoTuningPage, "auto-tuning", kOwnRow, {tuning::autotuning_text::kMarker, tuning::autotuning_text::kTitle, "Auto-tuning"}, "Ctrl+U"}, AutoTuning, AutoTuningView},
    {{pc::kCompensation, "compensation", kOwnRow, {ct::kMarker, ct::kTitle, "Compensation tables"}, "F9"}, Compensation, kCompensationView},
    {{pc::kSwitchOver, "switch-over", kOwnRow, {cf::kMarker, cf::kTitle, "Switch-over"}, "F10"}, SwitchOver, kSwitchOverView},
    {{diag::diag_page::kErrors, "errors", kOwnRow, {diag::error_text::kServiceMarker, diag::error_text::kErrorsTitle, "ECU errors"}, "F8"}, ErrorPageModel, ErrorPageView},
    {{diag::diag_page::kObd, "obd", kOwnRow, {diag::obd_text::kMarker, diag::obd_text::kCaption, "OBD"}, "Ctrl+4"}, ObdPageModel, ObdPageView},
    {{diag::diag_page::kObdMap, "obd-map", kOwnRow, {diag::obd_text::kMarker, diag::obd_text::kCorrectionMap, "Correction map"}, "Ctrl+5"}, ObdMapPageModel, ObdMapPageView},
    {{acq::page_code::kLogger, "logger", kOwnRow, {acq::logger_text::kMarker, 1, "Oscilloscope"}, "Ctrl+6"}, NewLoggerModel, LoggerView},
    {{acq::page_code::kReplay, "replay", kOwnRow, {acq::logger_text::kMarker, 36, "Log replay"}, "Ctrl+7"}, NewReplayModel, ReplayView},
    {{pages::kComparePage, "compare", kOwnRow, {pages::archive_text::kMarker, pages::archive_text::kCompareNav, "Compare"}, "Ctrl+0"}, Compare, CompareView},
    {{firmware::kFirmwarePage, "firmware", kOwnRow, {ft::kMarker, ft::kTitle, "Firmware update"}, "Ctrl+8"}, Firmware, FirmwareView},
    // clang-format on
}};

}  // namespace

std::span<const WorkstationPage> WorkstationPages() {
  return kPages;
}

}  // namespace velmora::ui
