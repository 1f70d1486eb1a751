#include "ui/change_heat_view.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>

#include "maps/map_grid_ops.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

constexpr QSize kHint{360, 230};
constexpr QSize kMinimum{192, 128};
constexpr int kLegendHeight = 18;

QColor Blend(QColor from, QColor to, double t) {
  const auto mix = [t](int a, int b) { return static_cast<int>(a + (b - a) * t); };
  return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()),
                mix(from.blue(), to.blue()));
}

}  // namespace

ChangeHeatView::ChangeHeatView(QWidget* parent) : QWidget(parent) {
  setObjectName("ImgVariazione");
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ChangeHeatView::SetChange(std::vector<int> change) {
  if (change == change_) {
    return;
  }
  change_ = std::move(change);
  update();
}

QSize ChangeHeatView::sizeHint() const {
  return kHint;
}

QSize ChangeHeatView::minimumSizeHint() const {
  return kMinimum;
}

void ChangeHeatView::paintEvent(QPaintEvent* /*event*/) {
  QPainter p(this);
  const int grid_height = height() - kLegendHeight;
  p.fillRect(QRect(0, 0, width(), grid_height), Colour(palette::kCardBorder));
  int largest = 0;
  for (const int v : change_) {
    largest = std::max(largest, std::abs(v));
  }
  const QColor white = Colour(palette::kCard);
  for (int r = 0; r < maps::map_shape::kTimeRows; ++r) {
    for (int c = 0; c < maps::map_shape::kRpmCols; ++c) {
      const auto offset = static_cast<std::size_t>(maps::MapOffset(r, c));
      const int v = offset < change_.size() ? change_[offset] : 0;
      const QColor tone = Colour(v > 0 ? palette::kDanger : palette::kAccent);
      const QColor colour =
          v == 0 || largest == 0 ? white : Blend(white, tone, 0.25 + 0.75 * std::abs(v) / largest);
      const maps::PixelRect px = maps::HeatCellRect(width(), grid_height, r, c);
      // One pixel of the border colour between cells.
      p.fillRect(QRect(px.x, px.y, std::max(1, px.w - 1), std::max(1, px.h - 1)), colour);
    }
  }
  p.setPen(Colour(palette::kTextMuted));
  const QRect legend(0, grid_height, width(), kLegendHeight);
  p.drawText(legend, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("-%1").arg(largest));
  p.drawText(legend, Qt::AlignCenter, QStringLiteral("0"));
  p.drawText(legend, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("+%1").arg(largest));
}

}  // namespace velmora::ui
