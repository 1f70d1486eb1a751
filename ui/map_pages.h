#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "maps/frm_carburazione.h"
#include "maps/frm_matrix.h"
#include "pages/page_services.h"

namespace velmora::ui {

class FrmCarburazionePage;
class FrmChangeAxisDialog;
class FrmEnterValue;
class FrmMatrixPage;

// The page codes of the map pages, in the order their widgets are stacked:
// the grid views of maps 0, 1, 2, then their carburation views.
inline constexpr std::array<int, 6> kMapPageCodes = maps::map_info::kPageCodes;
inline constexpr int kMapCount = maps::map_info::kCount;

// The position of a map page code in kMapPageCodes; -1 for other codes.
[[nodiscard]] int MapPageSlot(int code);

// The page a map is shown on: its carburation view when its bit in byte 15
// of the map configuration block is set, else its grid view.
[[nodiscard]] int MapPageCodeFor(int map, const Bytes& configuration_block);

// What the map pages work on. Nothing is owned.
struct MapPagesLinks {
  session::Session& session;
  calib::CalibrationImage& image;
  link::MessageTable& table;
  platform::MessageBox& box;
  const core::ClsLingue& lingue;
  const calib::CoefficientList* coefficients = nullptr;
  std::string lng_dir;
  std::string main_title;
};

// The six map pages with their models, and the window services those
// models ask for: the value entry dialog, the beep, the page switch and the
// axis editor. The main window routes the session's calls here.
class MapPages final : public maps::MapPageWindow {
 public:
  // `enter_value` is the dialog the grids share; `select_page` is the main
  // window's page switch; `parent` owns the page widgets and the dialogs.
  MapPages(const MapPagesLinks& links, FrmEnterValue& enter_value,
           std::function<void(int)> select_page, QWidget* parent);
  ~MapPages() override;
  MapPages(const MapPages&) = delete;
  MapPages& operator=(const MapPages&) = delete;

  // The widget of a map page code; null for other codes.
  [[nodiscard]] QWidget* Widget(int code) const;
  [[nodiscard]] FrmMatrixPage* GridPage(int map) const;
  [[nodiscard]] FrmCarburazionePage* CarburationPage(int map) const;
  [[nodiscard]] maps::MapPage* Model(int code) const;
  // The page map `map` opens on, by its view flag.
  [[nodiscard]] int PageCodeFor(int map) const;

  // The page comes to the front: its grid is filled from the map.
  void Show(int code);
  // A new calibration image: every page's headings and cells again.
  void CalibrationRead();
  // The session wrote map `map` (or failed to): both of its pages.
  void MapWritten(int map, bool ok);
  // A live tick of the page in front.
  void Tick(int code);
  // The working pages on or off together.
  void SetEnabled(bool enable);
  void CaricaLingua();

  // The axis editor over the pages' environment, not yet shown.
  [[nodiscard]] std::unique_ptr<FrmChangeAxisDialog> NewAxisEditor() const;

  // maps::MapPageWindow
  [[nodiscard]] pages::EnteredValue AskValue(const pages::Limits& limits, int option) override;
  void Beep(int hertz, int milliseconds) override;
  void SelezioneScheda(int page_code) override;
  void OpenAxisEditor() override;

 private:
  void RefreshViews(int slot);

  MapPagesLinks links_;
  FrmEnterValue& enter_value_;
  std::function<void(int)> select_page_;
  QWidget* parent_;
  pages::SessionPageSession page_session_;
  maps::MapPageEnv env_;
  std::array<std::unique_ptr<maps::FrmMatrix>, kMapCount> grids_;
  std::array<std::unique_ptr<maps::FrmCarburazione>, kMapCount> carbs_;
  std::array<FrmMatrixPage*, kMapCount> grid_views_{};
  std::array<FrmCarburazionePage*, kMapCount> carb_views_{};
};

}  // namespace velmora::ui
