#pragma once

#include <QFont>
#include <QWidget>

#include "core/dictionary.h"
#include "maps/frm_carburazione.h"
#include "ui/map_control_strip.h"
#include "ui/window_registry.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace velmora::ui {

class MapGridView;

// The small grid's font: the family asked for, or a rounded informal face
// the system picks in its place.
[[nodiscard]] QFont CarburationFont(int point_size = 10);

// FRM_KVXCarburazione: a thin view over maps::FrmCarburazione. The user's
// clicks and keys go to the model, then the view shows the model again;
// the main window calls Refresh() after it has driven the model (page
// switch, map written, live tick, language). Besides the shared control
// strip (multiplier and second injection only) it has the stepped-map and
// shading boxes and the default-calibration button.
class FrmCarburazionePage final : public QWidget, public Captioned {
  Q_OBJECT
 public:
  // Neither is owned; `lingue` may be null (built-in texts).
  explicit FrmCarburazionePage(maps::FrmCarburazione& page, const core::ClsLingue* lingue = nullptr,
                               QWidget* parent = nullptr);

  // The model's captions and combo lists from the dictionary, then shown.
  void CaricaLingua() override;
  // Everything from the model: grid, strip, boxes, markers.
  void Refresh();

  [[nodiscard]] maps::FrmCarburazione& Model() { return page_; }
  [[nodiscard]] MapGridView* Grid() const { return grid_; }
  [[nodiscard]] MapControlStrip& Strip() { return strip_; }
  [[nodiscard]] QPushButton* ResetButton() const { return reset_; }
  [[nodiscard]] QCheckBox* SteppedBox() const { return stepped_; }
  [[nodiscard]] QCheckBox* GradientBox() const { return gradient_; }
  // TxtMat: the map byte at the working point.
  [[nodiscard]] QLabel* MarkerLabel() const { return marker_; }

 private:
  void StyleWidgets();
  [[nodiscard]] QWidget* SidePanel();
  void LayOut();
  void Connect();
  void ShowCaptions();

  maps::FrmCarburazione& page_;
  const core::ClsLingue* lingue_;
  // The grid first: it is the page's first control to take the focus.
  MapGridView* grid_;
  MapControlStrip strip_;
  QLabel* title_;
  QLabel* rpm_label_;   // Lblrpm
  QLabel* axis_label_;  // Lblms, or LblBAR for the pressure map
  QLabel* notice_;      // TxtMsgMappa
  QLabel* hint_;        // LAB_PLUSMINUS
  QLabel* step_label_;  // LAB_Tick
  QLabel* point_caption_;
  QLabel* marker_;  // TxtMat
  QPushButton* reset_;
  QCheckBox* stepped_;   // ChkSpiana
  QCheckBox* gradient_;  // ChkGradiente
};

}  // namespace velmora::ui
