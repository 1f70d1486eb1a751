#include "ui/bar_widget.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "ui/card_painter.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {
constexpr double kBarHeight = 12;
constexpr double kGap = 5;
constexpr int kMaxSegments = 50;
}  // namespace

BarWidget::BarWidget(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void BarWidget::SetTitle(const QString& title) {
  title_ = title;
  update();
}

void BarWidget::SetUnit(const QString& unit) {
  unit_ = unit;
  update();
}

void BarWidget::SetScale(double min, double max, int decimals) {
  scale_.min = min;
  scale_.max = max;
  decimals_ = decimals;
  update();
}

void BarWidget::SetZones(std::vector<GaugeZone> zones) {
  zones_ = std::move(zones);
  update();
}

void BarWidget::SetMarker(std::optional<double> value) {
  marker_ = value;
  update();
}

void BarWidget::SetSegments(int count) {
  segments_ = std::clamp(count, 0, kMaxSegments);
  update();
}

void BarWidget::SetCompact(bool compact) {
  compact_ = compact;
  updateGeometry();
  update();
}

void BarWidget::SetValue(double value) {
  if (reading_.Set(value)) {
    update();
  }
}

void BarWidget::ClearValue() {
  if (reading_.Clear()) {
    update();
  }
}

QString BarWidget::ValueText() const {
  return reading_.Text(decimals_);
}

QSize BarWidget::sizeHint() const {
  const double head = QFontMetricsF(ScaledFont(*this, 1.15, true)).height();
  const double ends = QFontMetricsF(ScaledFont(*this, 0.8)).height();
  double h = head + kGap + kBarHeight + 2 + ends + 2;
  if (!compact_) {
    h += 2 * spacing::kCardPadding;
  }
  return {240, static_cast<int>(std::ceil(h))};
}

QSize BarWidget::minimumSizeHint() const {
  return {140, sizeHint().height()};
}

void BarWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF area =
      compact_ ? QRectF(rect()).adjusted(1, 1, -1, -1) : PaintCard(p, *this, QString());
  const QRectF head = PaintHead(p, area);
  const QRectF bar(area.left(), head.bottom() + kGap, area.width(), kBarHeight);
  PaintBar(p, bar);
  PaintEnds(p, bar);
}

QRectF BarWidget::PaintHead(QPainter& p, const QRectF& area) const {
  // Title left, figures and unit right.
  const QFont title_font = ScaledFont(*this, 0.95, !compact_);
  const QFont value_font = ScaledFont(*this, 1.15, true);
  const QFontMetricsF vm(value_font);
  const QRectF head(area.left(), area.top(), area.width(), vm.height());
  const QString unit = unit_.isEmpty() ? QString() : QStringLiteral(" ") + unit_;
  const QFont unit_font = ScaledFont(*this, 0.85);
  const double unit_w = QFontMetricsF(unit_font).horizontalAdvance(unit);
  p.setFont(unit_font);
  p.setPen(Colour(palette::kTextMuted));
  p.drawText(head, Qt::AlignRight | Qt::AlignVCenter, unit);
  p.setFont(value_font);
  p.setPen(Colour(reading_.Has() ? palette::kText : palette::kTextMuted));
  const QRectF value_rect = head.adjusted(0, 0, -unit_w, 0);
  p.drawText(value_rect, Qt::AlignRight | Qt::AlignVCenter, ValueText());
  const double value_w = vm.horizontalAdvance(ValueText()) + unit_w + kGap;
  p.setFont(title_font);
  p.setPen(Colour(compact_ ? palette::kText : palette::kTextMuted));
  const QFontMetricsF tm(title_font);
  p.drawText(QRectF(head.left(), head.top(), head.width() - value_w, head.height()),
             Qt::AlignLeft | Qt::AlignVCenter,
             tm.elidedText(title_, Qt::ElideRight, std::max(0.0, head.width() - value_w)));
  return head;
}

void BarWidget::PaintBar(QPainter& p, const QRectF& bar) const {
  // Track, zones, fill, then the segment dividers and the marker over them.
  const double radius = kBarHeight / 2;
  p.setPen(Qt::NoPen);
  p.setBrush(Colour(palette::kTrack));
  p.drawRoundedRect(bar, radius, radius);
  auto x_of = [&](double v) { return bar.left() + core::ScaleFraction(v, scale_) * bar.width(); };
  for (const auto& z : zones_) {
    QColor zc = Colour(z.colour);
    zc.setAlpha(70);
    p.setBrush(zc);
    const double a = x_of(std::min(z.from, z.to));
    const double b = x_of(std::max(z.from, z.to));
    p.drawRect(QRectF(a, bar.top(), b - a, bar.height()));
  }
  if (reading_.Has()) {
    const double x = x_of(reading_.Value());
    p.setBrush(Colour(ZoneColour(zones_, reading_.Value(), palette::kAccent)));
    p.save();
    QPainterPath clip;
    clip.addRoundedRect(bar, radius, radius);
    p.setClipPath(clip);
    p.drawRect(QRectF(bar.left(), bar.top(), x - bar.left(), bar.height()));
    p.restore();
  }
  if (segments_ > 1) {
    p.setPen(QPen(Colour(palette::kCard), 2));
    for (int i = 1; i < segments_; ++i) {
      const double x = bar.left() + bar.width() * i / segments_;
      p.drawLine(QPointF(x, bar.top()), QPointF(x, bar.bottom()));
    }
  }
  if (marker_) {
    const double x = x_of(*marker_);
    p.setPen(QPen(Colour(palette::kHub), 2));
    p.drawLine(QPointF(x, bar.top() - 3), QPointF(x, bar.bottom() + 3));
  }
}

void BarWidget::PaintEnds(QPainter& p, const QRectF& bar) const {
  const QFont end_font = ScaledFont(*this, 0.8);
  p.setFont(end_font);
  p.setPen(Colour(palette::kTextMuted));
  const QRectF ends(bar.left(), bar.bottom() + 2, bar.width(), QFontMetricsF(end_font).height());
  p.drawText(ends, Qt::AlignLeft | Qt::AlignTop,
             QString::fromStdString(core::FormatFixed(scale_.min, decimals_)));
  p.drawText(ends, Qt::AlignRight | Qt::AlignTop,
             QString::fromStdString(core::FormatFixed(scale_.max, decimals_)));
}

}  // namespace velmora::ui
