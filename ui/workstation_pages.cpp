// The workstation's page table: one line per page.
#include <array>

#include "diag/diag_pages.h"
#include "diag/frm_error.h"
#include "diag/obd_texts.h"
#include "maps/map_page_model.h"
#include "pages/dashboard_model.h"
#include "pages/page_codes.h"
#include "pages/shell_texts.h"
#include "ui/connection_page.h"
#include "ui/dashboard_page.h"
#include "ui/diag_views.h"
#include "ui/frm_carburazione_page.h"
#include "ui/frm_kvx_connected.h"
#include "ui/frm_kvx_language.h"
#include "ui/frm_matrix_page.h"
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
using pages::kOwnRow;
constexpr const auto& kMaps = maps::map_info::kMaps;

// A map's grid and carburation views share the map's row, which opens the
// view the map's flag chooses.
const std::array<WorkstationPage, 12> kPages = {{
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
    {{diag::diag_page::kErrors, "errors", kOwnRow, {diag::error_text::kServiceMarker, diag::error_text::kErrorsTitle, "ECU errors"}, "F8"}, ErrorPageModel, ErrorPageView},
    {{diag::diag_page::kObd, "obd", kOwnRow, {diag::obd_text::kMarker, diag::obd_text::kCaption, "OBD"}, "Ctrl+4"}, ObdPageModel, ObdPageView},
    {{diag::diag_page::kObdMap, "obd-map", kOwnRow, {diag::obd_text::kMarker, diag::obd_text::kCorrectionMap, "Correction map"}, "Ctrl+5"}, ObdMapPageModel, ObdMapPageView},
    // clang-format on
}};

}  // namespace

std::span<const WorkstationPage> WorkstationPages() {
  return kPages;
}

}  // namespace velmora::ui
