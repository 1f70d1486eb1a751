#include "ui/map_heat_view.h"

#include <QPainter>
#include <algorithm>

#include "maps/map_grid_ops.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {
constexpr int kDotRadius = 4;
constexpr QSize kHint{216, 138};
constexpr QSize kMinimum{96, 64};
}  // namespace

MapHeatView::MapHeatView(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void MapHeatView::SetMap(std::span<const std::uint8_t> map) {
  if (std::equal(map.begin(), map.end(), map_.begin(), map_.end())) {
    return;
  }
  map_.assign(map.begin(), map.end());
  update();
}

void MapHeatView::SetWorkingPoint(bool shown, int time_index, int rpm_index) {
  if (shown == point_shown_ && time_index == time_ && rpm_index == rpm_) {
    return;
  }
  point_shown_ = shown;
  time_ = time_index;
  rpm_ = rpm_index;
  update();
}

QSize MapHeatView::sizeHint() const {
  return kHint;
}
QSize MapHeatView::minimumSizeHint() const {
  return kMinimum;
}

void MapHeatView::paintEvent(QPaintEvent* /*event*/) {
  QPainter p(this);
  p.fillRect(rect(), Colour(palette::kTrack));
  if (map_.empty()) {
    return;
  }
  const auto [lo, hi] = std::minmax_element(map_.begin(), map_.end());
  const double span = *hi > *lo ? static_cast<double>(*hi - *lo) : 1.0;
  for (int r = 0; r < maps::map_shape::kTimeRows; ++r) {
    for (int c = 0; c < maps::map_shape::kRpmCols; ++c) {
      const auto offset = static_cast<std::size_t>(maps::MapOffset(r, c));
      if (offset >= map_.size()) {
        continue;
      }
      const maps::Rgb colour = maps::HeatColour((map_[offset] - *lo) / span);
      const maps::PixelRect px = maps::HeatCellRect(width(), height(), r, c);
      p.fillRect(QRect(px.x, px.y, px.w, px.h), QColor(colour.r, colour.g, colour.b));
    }
  }
  if (point_shown_) {
    const maps::PixelRect px = maps::HeatCellRect(width(), height(), time_, rpm_);
    if (px.w > 0) {
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(QPen(Qt::white, 2));
      p.setBrush(Colour(palette::kHub));
      p.drawEllipse(QPoint(px.x + px.w / 2, px.y + px.h / 2), kDotRadius, kDotRadius);
    }
  }
}

}  // namespace velmora::ui
