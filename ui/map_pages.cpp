#include "ui/map_pages.h"

#include <QApplication>
#include <algorithm>

#include "ui/frm_carburazione_page.h"
#include "ui/frm_change_axis.h"
#include "ui/frm_enter_value.h"
#include "ui/frm_matrix_page.h"

namespace velmora::ui {

int MapPageSlot(int code) {
  const auto it = std::find(kMapPageCodes.begin(), kMapPageCodes.end(), code);
  return it == kMapPageCodes.end() ? -1 : static_cast<int>(it - kMapPageCodes.begin());
}

int MapPageCodeFor(int map, const Bytes& configuration_block) {
  const maps::MapInfo& info = maps::InfoOfMap(map);
  const bool simplified = configuration_block.size() > maps::config_block::kViewByte &&
                          (configuration_block[maps::config_block::kViewByte] & info.view_bit) != 0;
  return simplified ? info.carb_page : info.grid_page;
}

MapPages::MapPages(const MapPagesLinks& links, FrmEnterValue& enter_value,
                   std::function<void(int)> select_page, QWidget* parent)
    : links_(links),
      enter_value_(enter_value),
      select_page_(std::move(select_page)),
      parent_(parent),
      page_session_(links.session),
      env_{links.image, links.table,        page_session_, *this,
           links.box,   links.coefficients, links.lng_dir, links.main_title} {
  for (int map = 0; map < kMapCount; ++map) {
    const auto i = static_cast<std::size_t>(map);
    grids_[i] = std::make_unique<maps::FrmMatrix>(env_, map);
    carbs_[i] = std::make_unique<maps::FrmCarburazione>(env_, map);
    grids_[i]->Load();
    carbs_[i]->Load();
    grid_views_[i] = new FrmMatrixPage(*grids_[i], &links_.lingue, parent);
    carb_views_[i] = new FrmCarburazionePage(*carbs_[i], &links_.lingue, parent);
    grid_views_[i]->CaricaLingua();
    carb_views_[i]->CaricaLingua();
  }
}

MapPages::~MapPages() = default;

QWidget* MapPages::Widget(int code) const {
  const int slot = MapPageSlot(code);
  if (slot < 0) {
    return nullptr;
  }
  const auto map = static_cast<std::size_t>(slot % kMapCount);
  return slot < kMapCount ? static_cast<QWidget*>(grid_views_[map])
                          : static_cast<QWidget*>(carb_views_[map]);
}

FrmMatrixPage* MapPages::GridPage(int map) const {
  return map >= 0 && map < kMapCount ? grid_views_[static_cast<std::size_t>(map)] : nullptr;
}

FrmCarburazionePage* MapPages::CarburationPage(int map) const {
  return map >= 0 && map < kMapCount ? carb_views_[static_cast<std::size_t>(map)] : nullptr;
}

maps::MapPage* MapPages::Model(int code) const {
  const int slot = MapPageSlot(code);
  if (slot < 0) {
    return nullptr;
  }
  const auto map = static_cast<std::size_t>(slot % kMapCount);
  return slot < kMapCount ? static_cast<maps::MapPage*>(grids_[map].get())
                          : static_cast<maps::MapPage*>(carbs_[map].get());
}

int MapPages::PageCodeFor(int map) const {
  return MapPageCodeFor(map, links_.image.companion);
}

void MapPages::RefreshViews(int slot) {
  const auto map = static_cast<std::size_t>(slot % kMapCount);
  if (slot < kMapCount) {
    grid_views_[map]->Refresh();
  } else {
    carb_views_[map]->Refresh();
  }
}

void MapPages::Show(int code) {
  if (maps::MapPage* page = Model(code)) {
    page->CambiaTipoGriglia(code);
    // Complete at once, not at the next live tick: the working point and
    // the parameters as last read.
    if (!links_.table.LastAnswer(maps::live_point::kEntry).empty()) {
      page->Tick();
    }
    RefreshViews(MapPageSlot(code));
  }
}

void MapPages::CalibrationRead() {
  for (std::size_t slot = 0; slot < kMapPageCodes.size(); ++slot) {
    const int code = kMapPageCodes[slot];
    maps::MapPage* page = Model(code);
    page->CaricaAssi();
    page->CambiaTipoGriglia(code);
    RefreshViews(static_cast<int>(slot));
  }
}

void MapPages::MapWritten(int map, bool ok) {
  if (map < 0 || map >= kMapCount) {
    return;
  }
  const auto i = static_cast<std::size_t>(map);
  grids_[i]->MapWritten(ok);
  carbs_[i]->MapWritten(ok);
  grid_views_[i]->Refresh();
  carb_views_[i]->Refresh();
}

void MapPages::Tick(int code) {
  if (maps::MapPage* page = Model(code)) {
    page->Tick();
    RefreshViews(MapPageSlot(code));
  }
}

void MapPages::SetEnabled(bool enable) {
  for (std::size_t i = 0; i < grid_views_.size(); ++i) {
    grid_views_[i]->setEnabled(enable);
    carb_views_[i]->setEnabled(enable);
  }
}

void MapPages::CaricaLingua() {
  for (std::size_t i = 0; i < grid_views_.size(); ++i) {
    grid_views_[i]->CaricaLingua();
    carb_views_[i]->CaricaLingua();
  }
}

pages::EnteredValue MapPages::AskValue(const pages::Limits& limits, int option) {
  enter_value_.SistemaSoglie(limits);
  enter_value_.SelectOption(option);
  enter_value_.Prepare();
  return enter_value_.Ask();
}

void MapPages::Beep(int /*hertz*/, int /*milliseconds*/) {
  // The system bell is all a desktop offers without an audio device.
  QApplication::beep();
}

void MapPages::SelezioneScheda(int page_code) {
  if (select_page_) {
    select_page_(page_code);
  }
}

std::unique_ptr<FrmChangeAxisDialog> MapPages::NewAxisEditor() const {
  return std::make_unique<FrmChangeAxisDialog>(maps::AxisEditorEnvOf(env_), &links_.lingue,
                                               parent_);
}

void MapPages::OpenAxisEditor() {
  (void)RunAxisEditor(env_, &links_.lingue, parent_);
}

}  // namespace velmora::ui
