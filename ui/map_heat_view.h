#pragma once

#include <QWidget>
#include <span>

#include "core/bytes.h"

namespace velmora::ui {

// A small heat map of a whole injection map: rpm left to right, injection
// time top to bottom, the map's lowest value blue and its highest red, the
// engine's working point as a dot.
class MapHeatView final : public QWidget {
 public:
  explicit MapHeatView(QWidget* parent = nullptr);

  // Repaints only when the map or the point changed.
  void SetMap(std::span<const std::uint8_t> map);
  void SetWorkingPoint(bool shown, int time_index, int rpm_index);

  [[nodiscard]] const Bytes& Map() const { return map_; }
  [[nodiscard]] QSize sizeHint() const override;
  [[nodiscard]] QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Bytes map_;
  bool point_shown_ = false;
  int time_ = 0;
  int rpm_ = 0;
};

}  // namespace velmora::ui
