#pragma once

#include <QWidget>

#include "diag/frm_error.h"
#include "ui/window_registry.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace velmora::ui {

class CardFrame;

// The ECU error page: the error grid with each error's current and stored
// state and its two enable boxes, the erase button, the running-time
// counters and the service interval, over a diag::FrmError that does all
// the work. The window calls Refresh() after every tick and session write.
class FrmErrorPage final : public QWidget, public Captioned {
  Q_OBJECT
 public:
  // The model is not owned.
  explicit FrmErrorPage(diag::FrmError& page, QWidget* parent = nullptr);

  void CaricaLingua() override;
  void Refresh();

  [[nodiscard]] QTableWidget* Grid() const { return grid_; }
  [[nodiscard]] QPushButton* EraseButton() const { return erase_; }
  [[nodiscard]] QLineEdit* GasBox() const { return gas_; }
  [[nodiscard]] QLineEdit* PetrolBox() const { return petrol_; }
  [[nodiscard]] QLineEdit* ToServiceBox() const { return to_service_; }
  [[nodiscard]] QComboBox* ServiceCombo() const { return service_; }
  [[nodiscard]] QPushButton* ResetGasButton() const { return reset_gas_; }
  [[nodiscard]] QPushButton* RestartServiceButton() const { return restart_; }
  // The grid column of the model's column `model_col`; -1 when not shown.
  [[nodiscard]] static int ViewColumn(int model_col);

 private:
  void LayOut();
  void Connect();
  void FillGrid();
  void ShowRow(int row);
  void ShowCounters();
  void ShowServiceList();

  diag::FrmError& page_;
  QLabel* title_;
  QPushButton* erase_;
  CardFrame* errors_card_;
  QTableWidget* grid_;
  QLabel* hint_;
  CardFrame* counters_card_;
  QLabel* gas_title_;
  QLineEdit* gas_;
  QLabel* petrol_title_;
  QLineEdit* petrol_;
  QLabel* service_title_;
  QComboBox* service_;
  QLabel* to_service_title_;
  QLineEdit* to_service_;
  QPushButton* reset_gas_;
  QPushButton* reset_petrol_;
  QPushButton* restart_;
  bool low_list_shown_ = false;
};

}  // namespace velmora::ui
