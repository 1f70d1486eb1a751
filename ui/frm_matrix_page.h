#pragma once

#include <QWidget>

#include "core/dictionary.h"
#include "maps/frm_matrix.h"
#include "ui/map_control_strip.h"
#include "ui/window_registry.h"

class QLabel;

namespace velmora::ui {

class MapGridView;
class MapHeatView;

// The injection map grid page: the grid, a heat map of the whole map, the
// working point, and the shared control strip with all four parameter
// combos, over a maps::FrmMatrix that does all the work. The window calls
// Refresh() after every session tick and after the page's map was written.
class FrmMatrixPage final : public QWidget, public Captioned {
  Q_OBJECT
 public:
  // Neither `page` nor `lingue` (may be null: built-in texts) is owned.
  explicit FrmMatrixPage(maps::FrmMatrix& page, const core::ClsLingue* lingue = nullptr,
                         QWidget* parent = nullptr);

  // The model's captions and combo lists, then the widgets' texts.
  void CaricaLingua() override;
  // Re-reads the model: grid, heat map, working point, control strip.
  void Refresh();

  [[nodiscard]] maps::FrmMatrix& Model() { return page_; }
  [[nodiscard]] MapGridView* Grid() const { return grid_; }
  [[nodiscard]] MapHeatView* Heat() const { return heat_; }
  [[nodiscard]] MapControlStrip& Strip() { return strip_; }
  // TxtMat: the map byte at the working point.
  [[nodiscard]] QLabel* MarkerLabel() const { return marker_; }

 private:
  void StyleLabels();
  void LayOut();
  // Captions that follow the map shown: the title and the row axis.
  void ShowMapCaptions();

  maps::FrmMatrix& page_;
  const core::ClsLingue* lingue_;
  // Made in this order: the title, then the strip, whose first map combo
  // is the page's first control to take the focus, then the rest.
  QLabel* title_;
  MapControlStrip strip_;
  QLabel* row_title_;
  QLabel* col_title_;
  MapGridView* grid_;
  MapHeatView* heat_;
  QLabel* point_title_;
  QLabel* marker_;
  QLabel* notice_;  // TxtMsgMappa
};

}  // namespace velmora::ui
