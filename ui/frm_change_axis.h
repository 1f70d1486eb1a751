#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

#include "core/dictionary.h"
#include "maps/frm_change_axis.h"
#include "pages/page_services.h"
#include "ui/window_registry.h"

class QComboBox;
class QGroupBox;
class QPushButton;
class QTableWidget;

namespace velmora::ui {

// The map axis editor: the breakpoint grid (injection time, rpm), the
// twelve principal boxes per axis and the five buttons. A thin view over
// maps::FrmChangeAxis: keys and choices go to the model, which shows its
// own messages; the view copies the model back after every step.
//
// Without Q_OBJECT on purpose, as the value entry dialog.
class FrmChangeAxisDialog : public QDialog, public Captioned {
 public:
  // Nothing in `env` is owned; `lingue` may be null (built-in texts).
  FrmChangeAxisDialog(maps::AxisEditorEnv env, const core::ClsLingue* lingue = nullptr,
                      QWidget* parent = nullptr);

  void CaricaLingua() override;

  [[nodiscard]] maps::FrmChangeAxis& Model() { return model_; }
  [[nodiscard]] QTableWidget* Grid() const { return grid_; }
  [[nodiscard]] QComboBox* CmbRpm(int i) const;
  [[nodiscard]] QComboBox* CmbTinj(int i) const;
  [[nodiscard]] QPushButton* OkButton() const { return ok_; }
  [[nodiscard]] QPushButton* CancelButton() const { return cancel_; }
  [[nodiscard]] QPushButton* DefaultButton() const { return default_; }
  [[nodiscard]] QPushButton* AutoscaleXButton() const { return autoscale_x_; }
  [[nodiscard]] QPushButton* AutoscaleYButton() const { return autoscale_y_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Esc, the cancel button and the close box.
  void reject() override;

 private:
  void SetUpGrid();
  // The principal boxes with their breakpoint indices, still empty.
  void SetUpPrincipalBoxes();
  void SetUpButtons();
  void LayOut();
  // The principal boxes' lists from the loaded model.
  void FillBoxes();
  // The model's grid, boxes and current cell into the widgets.
  void Refresh();
  void Finish(maps::AxisOutcome outcome);

  maps::FrmChangeAxis model_;
  const core::ClsLingue* lingue_;
  QTableWidget* grid_;
  QGroupBox* principal_rpm_;
  QGroupBox* principal_time_;
  std::array<QComboBox*, maps::axis::kPrincipalCount> cmb_rpm_{};
  std::array<QComboBox*, maps::axis::kPrincipalCount> cmb_tinj_{};
  QPushButton* ok_;
  QPushButton* cancel_;
  QPushButton* default_;
  QPushButton* autoscale_x_;
  QPushButton* autoscale_y_;
  std::uint64_t shown_revision_ = ~std::uint64_t{0};
  bool refreshing_ = false;
};

// Opens the editor modally over a map page's environment; true when the
// axes were stored and their write posted.
bool RunAxisEditor(const maps::MapPageEnv& env, const core::ClsLingue* lingue,
                   QWidget* parent = nullptr);

}  // namespace velmora::ui
