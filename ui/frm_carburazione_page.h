#pragma once

#include <QFont>
#include <QWidget>

#include "core/dictionary.h"
#include "maps/frm_carburazione.h"
#include "ui/window_registry.h"

class QCheckBox;
class QComboBox;
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
// switch, map written, live tick, language).
class FrmCarburazionePage : public QWidget, public Captioned {
  Q_OBJECT
 public:
  // Neither is owned; `lingue` may be null (built-in texts).
  explicit FrmCarburazionePage(maps::FrmCarburazione& page, const core::ClsLingue* lingue = nullptr,
                               QWidget* parent = nullptr);

  // The model's captions and combo lists from the dictionary, then shown.
  void CaricaLingua() override;
  // Everything from the model: grid, buttons, boxes, combos, markers.
  void Refresh();

  [[nodiscard]] maps::FrmCarburazione& Model() { return page_; }
  [[nodiscard]] MapGridView* Grid() const { return grid_; }
  [[nodiscard]] QPushButton* UpButton() const { return up_; }
  [[nodiscard]] QPushButton* DownButton() const { return down_; }
  [[nodiscard]] QPushButton* UndoButton() const { return undo_; }
  [[nodiscard]] QPushButton* ChangeAxisButton() const { return change_axis_; }
  [[nodiscard]] QPushButton* ResetButton() const { return reset_; }
  [[nodiscard]] QCheckBox* SimBox() const { return sim_; }
  [[nodiscard]] QCheckBox* SteppedBox() const { return stepped_; }
  [[nodiscard]] QCheckBox* GradientBox() const { return gradient_; }
  [[nodiscard]] QComboBox* SelPage0() const { return sel_page_0_; }
  [[nodiscard]] QComboBox* SelPage1() const { return sel_page_1_; }
  [[nodiscard]] QComboBox* Multiplier() const { return multiplier_; }
  [[nodiscard]] QComboBox* PercSec() const { return perc_sec_; }
  // TxtMat: the map byte at the working point.
  [[nodiscard]] QLabel* MarkerLabel() const { return marker_; }

 private:
  void Build();
  void Connect();
  void ShowCaptions();
  void ShowControls();
  static void FillCombo(QComboBox* combo, const maps::ComboState& state);
  void Copy();
  void Paste();

  maps::FrmCarburazione& page_;
  const core::ClsLingue* lingue_;
  MapGridView* grid_ = nullptr;
  QLabel* title_ = nullptr;
  QLabel* rpm_label_ = nullptr;   // Lblrpm
  QLabel* axis_label_ = nullptr;  // Lblms, or LblBAR for the pressure map
  QLabel* notice_ = nullptr;      // TxtMsgMappa
  QLabel* hint_ = nullptr;        // LAB_PLUSMINUS
  QLabel* step_label_ = nullptr;  // LAB_Tick
  QLabel* point_caption_ = nullptr;
  QLabel* marker_ = nullptr;  // TxtMat
  QPushButton* up_ = nullptr;
  QPushButton* down_ = nullptr;
  QPushButton* undo_ = nullptr;
  QPushButton* change_axis_ = nullptr;
  QPushButton* reset_ = nullptr;
  QCheckBox* sim_ = nullptr;
  QCheckBox* stepped_ = nullptr;
  QCheckBox* gradient_ = nullptr;
  QLabel* selection_label_ = nullptr;
  QComboBox* sel_page_0_ = nullptr;
  QComboBox* sel_page_1_ = nullptr;
  QLabel* multiplier_label_ = nullptr;  // labmultiplier
  QComboBox* multiplier_ = nullptr;
  QLabel* perc_sec_label_ = nullptr;  // lblpercsec
  QComboBox* perc_sec_ = nullptr;
};

}  // namespace velmora::ui
