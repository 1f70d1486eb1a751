#pragma once

#include <array>

#include "diag/obd_live.h"
#include "diag/obd_texts.h"
#include "ui/card_frame.h"

class QLabel;

namespace velmora::ui {

class BarWidget;

// The live OBD values the OBD page and the map window share: the four fuel
// trims in percent, each bank's fuel-system status with a closed-loop mark,
// and the average trim's point on a bar.
class ObdLiveCard final : public CardFrame {
  Q_OBJECT
 public:
  explicit ObdLiveCard(QWidget* parent = nullptr);

  void SetTexts(const diag::ObdTexts& texts);
  void Show(const diag::ObdLive& live, const diag::ObdTexts& texts);

  [[nodiscard]] BarWidget* Trim(std::size_t i) const { return trims_.at(i); }
  [[nodiscard]] QLabel* Status(std::size_t bank) const { return status_.at(bank); }
  [[nodiscard]] BarWidget* Average() const { return average_; }

 private:
  std::array<BarWidget*, 4> trims_{};
  std::array<QLabel*, 2> status_{};
  BarWidget* average_;
};

}  // namespace velmora::ui
