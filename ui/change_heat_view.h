#pragma once

#include <QWidget>
#include <vector>

namespace velmora::ui {

// A map's change between two calibrations as a heat map: rpm left to right,
// injection time top to bottom, unchanged cells white, raised cells red and
// lowered cells blue, deeper the larger the change against the largest one.
class ChangeHeatView final : public QWidget {
 public:
  explicit ChangeHeatView(QWidget* parent = nullptr);

  // One value per map byte (rpm x 23 + injection time); repaints only when
  // it changed.
  void SetChange(std::vector<int> change);
  [[nodiscard]] const std::vector<int>& Change() const { return change_; }

  [[nodiscard]] QSize sizeHint() const override;
  [[nodiscard]] QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<int> change_;
};

}  // namespace velmora::ui
