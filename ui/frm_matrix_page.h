#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "core/dictionary.h"
#include "maps/frm_matrix.h"
#include "ui/window_registry.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace velmora::ui {

class MapGridView;
class MapHeatView;

// The injection map grid page: the grid, a heat map of the whole map, the
// step, undo and axis buttons, the simplified-view check box, the two map
// combos and the four parameter combos, over a maps::FrmMatrix that does
// all the work. The window calls Refresh() after every session tick and
// after the page's map was written.
class FrmMatrixPage final : public QWidget, public Captioned {
  Q_OBJECT
 public:
  // Neither `page` nor `lingue` (may be null: built-in texts) is owned.
  explicit FrmMatrixPage(maps::FrmMatrix& page, const core::ClsLingue* lingue = nullptr,
                         QWidget* parent = nullptr);

  // The model's captions and combo lists, then the widgets' texts.
  void CaricaLingua() override;
  // Re-reads the model: grid, heat map, buttons, check box, combos,
  // working point.
  void Refresh();

  [[nodiscard]] maps::FrmMatrix& Page() { return page_; }
  [[nodiscard]] MapGridView* Grid() const { return grid_; }
  [[nodiscard]] MapHeatView* Heat() const { return heat_; }
  [[nodiscard]] QPushButton* UpButton() const { return up_; }
  [[nodiscard]] QPushButton* DownButton() const { return down_; }
  [[nodiscard]] QPushButton* UndoButton() const { return undo_; }
  [[nodiscard]] QPushButton* AxisButton() const { return axis_; }
  [[nodiscard]] QCheckBox* SimBox() const { return sim_; }
  [[nodiscard]] QComboBox* SelPage0() const { return sel_page_0_; }
  [[nodiscard]] QComboBox* SelPage1() const { return sel_page_1_; }
  [[nodiscard]] QComboBox* ParamBox(int param) const;
  [[nodiscard]] QLabel* MarkerLabel() const { return marker_; }

  // Where Ctrl+C puts its text and Ctrl+V takes it from; the system
  // clipboard unless replaced.
  struct Clipboard {
    std::function<std::string()> get;
    std::function<void(const std::string&)> set;
  };
  void SetClipboard(Clipboard clipboard) { clipboard_ = std::move(clipboard); }

 private:
  void Build();
  void Wire();
  void ShowTexts();
  void FillParamBoxes();
  void Copy();
  void Paste();

  maps::FrmMatrix& page_;
  const core::ClsLingue* lingue_;
  QLabel* title_;
  QLabel* row_title_;
  QLabel* col_title_;
  MapGridView* grid_;
  MapHeatView* heat_;
  QLabel* point_title_;
  QLabel* marker_;
  QPushButton* up_;
  QPushButton* down_;
  QPushButton* undo_;
  QPushButton* axis_;
  QCheckBox* sim_;
  QLabel* selection_title_;
  QComboBox* sel_page_0_;
  QComboBox* sel_page_1_;
  std::array<QLabel*, maps::param::kCount> param_labels_{};
  std::array<QComboBox*, maps::param::kCount> params_{};
  QLabel* notice_;
  int shown_map_ = -1;  // the map the captions name
  Clipboard clipboard_;
};

}  // namespace velmora::ui
