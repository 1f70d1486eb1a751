#include "ui/status_panel.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

#include "ui/card_painter.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {
constexpr double kRowSpacing = 1.55;  // of the text height
constexpr double kLamp = 0.62;        // of the text height
}  // namespace

StatusPanel::StatusPanel(QWidget* parent) : QWidget(parent) {}

void StatusPanel::SetTitle(const QString& title) {
  title_ = title;
  update();
}

void StatusPanel::SetRows(std::vector<Row> rows) {
  rows_ = std::move(rows);
  updateGeometry();
  update();
}

QSize StatusPanel::sizeHint() const {
  const double th = QFontMetricsF(ScaledFont(*this, 0.95, true)).height();
  const double rh = QFontMetricsF(font()).height() * kRowSpacing;
  const double h =
      2 * 10 + th + 4 + rh * static_cast<double>(std::max<std::size_t>(rows_.size(), 1));
  return {240, static_cast<int>(std::ceil(h))};
}

void StatusPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF area = PaintCard(p, *this, title_);
  const QFontMetricsF fm(font());
  const double rh = fm.height() * kRowSpacing;
  const double lamp = fm.height() * kLamp;
  const QFont value_font = ScaledFont(*this, 1.0, true);
  double y = area.top();
  for (const auto& row : rows_) {
    const QRectF line(area.left(), y, area.width(), rh);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgba(row.lamp));
    p.drawEllipse(QPointF(line.left() + lamp / 2, line.center().y()), lamp / 2, lamp / 2);
    p.setFont(font());
    p.setPen(Colour(palette::kTextMuted));
    const QRectF text = line.adjusted(lamp + 8, 0, 0, 0);
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, row.label);
    p.setFont(value_font);
    p.setPen(Colour(palette::kText));
    p.drawText(text, Qt::AlignRight | Qt::AlignVCenter, row.value);
    y += rh;
  }
}

}  // namespace velmora::ui
