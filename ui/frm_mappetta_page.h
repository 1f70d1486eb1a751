#pragma once

#include <QWidget>
#include <array>

#include "diag/frm_mappetta.h"
#include "ui/window_registry.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora::ui {

class CardFrame;
class MapGridView;
class ObdLiveCard;

// The OBD correction map window: the map with the engine's current cell
// framed, the live OBD values, the fifteen row limits, the correction agent
// and the file buttons, over a diag::FrmMappetta that does all the work.
class FrmMappettaPage final : public QWidget, public Captioned {
  Q_OBJECT
 public:
  explicit FrmMappettaPage(diag::FrmMappetta& page, QWidget* parent = nullptr);

  void CaricaLingua() override;
  void Refresh();

  [[nodiscard]] MapGridView* Grid() const { return grid_; }
  [[nodiscard]] QLineEdit* Limit(int row) const {
    return limits_.at(static_cast<std::size_t>(row));
  }
  [[nodiscard]] QPushButton* WriteLimitsButton() const { return write_limits_; }
  [[nodiscard]] QComboBox* AgentCombo() const { return agent_; }
  [[nodiscard]] QPushButton* OpenButton() const { return open_; }
  [[nodiscard]] QPushButton* ResetButton() const { return reset_; }
  [[nodiscard]] QPushButton* SaveButton() const { return save_; }
  [[nodiscard]] QPushButton* CopyButton() const { return copy_; }
  [[nodiscard]] QLabel* Caption() const { return caption_; }

 private:
  void LayOut();
  void Connect();

  diag::FrmMappetta& page_;
  QLabel* caption_;
  QLabel* axes_;
  QPushButton* open_;
  QPushButton* reset_;
  QPushButton* save_;
  QPushButton* copy_;
  MapGridView* grid_;
  CardFrame* limits_card_;
  std::array<QLabel*, diag::obd_map::kRows> limit_titles_{};
  std::array<QLineEdit*, diag::obd_map::kRows> limits_{};
  QPushButton* write_limits_;
  QLabel* agent_title_;
  QComboBox* agent_;
  QLabel* notice_;
  ObdLiveCard* live_card_;
};

}  // namespace velmora::ui
