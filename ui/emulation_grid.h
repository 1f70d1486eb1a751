#pragma once

#include <QElapsedTimer>
#include <QTableWidget>

#include "pages/lambda_page.h"

namespace velmora::ui {

// The lambda emulation table with its axes in one grid: row 0 holds the
// second axis (GrdBar), column 0 the rpm axis (GrdRpm), the 12 x 4 cells
// below and right of them the table (GrdEmul). Each row's heading marks
// its kind. The grid only shows the model and hands back keys and the
// selection.
class EmulationGrid final : public QTableWidget {
  Q_OBJECT
 public:
  explicit EmulationGrid(QWidget* parent = nullptr);

  void Show(const pages::LambdaControls& c);
  // The selected table cells, clipped to the table.
  [[nodiscard]] pages::CellBlock SelectedCells() const;

 signals:
  // + or - (Shift for the large step) on the current cell.
  void StepRequested(bool up, bool shift);
  void EnterPressed();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // A held key repeats its step at most this often.
  static constexpr qint64 kRepeatMs = 250;
  QElapsedTimer last_step_;
};

}  // namespace velmora::ui
