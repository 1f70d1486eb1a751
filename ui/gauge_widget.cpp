#include "ui/gauge_widget.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

#include "ui/card_painter.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

// Proportions of the dial, as fractions of its radius.
namespace dial {
constexpr double kRing = 0.90;
constexpr double kRingWidth = 0.085;
constexpr double kMajorOuter = 0.80;
constexpr double kMajorInner = 0.69;
constexpr double kMinorInner = 0.75;
constexpr double kLabels = 0.56;
constexpr double kLabelPixels = 0.14;
constexpr double kNeedle = 0.80;
constexpr double kNeedleTail = 0.14;
constexpr double kNeedleBase = 0.035;
constexpr double kHub = 0.075;
constexpr double kValueY = 0.66;
constexpr double kValuePixels = 0.24;
constexpr double kUnitY = 0.89;
constexpr double kUnitPixels = 0.13;
constexpr int kZoneAlpha = 110;
}  // namespace dial

constexpr double kArcUnit = 16;  // QPainter arcs are in 1/16 degree

QPointF Polar(QPointF c, double radius, double deg) {
  const double a = deg * std::numbers::pi / 180;
  return {c.x() + radius * std::cos(a), c.y() - radius * std::sin(a)};
}

void Arc(QPainter& p, QPointF c, double radius, double start_deg, double span_deg) {
  const QRectF box(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius);
  p.drawArc(box, static_cast<int>(std::lround(start_deg * kArcUnit)),
            static_cast<int>(std::lround(span_deg * kArcUnit)));
}

}  // namespace

QRgb ZoneColour(const std::vector<GaugeZone>& zones, double value, QRgb otherwise) {
  for (const auto& z : zones) {
    if (value >= std::min(z.from, z.to) && value <= std::max(z.from, z.to)) {
      return z.colour;
    }
  }
  return otherwise;
}

GaugeWidget::GaugeWidget(QWidget* parent) : QWidget(parent) {
  SetScale(0, 100, 0);
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void GaugeWidget::SetTitle(const QString& title) {
  title_ = title;
  update();
}

void GaugeWidget::SetUnit(const QString& unit) {
  unit_ = unit;
  update();
}

void GaugeWidget::SetLabelNote(const QString& note) {
  label_note_ = note;
  update();
}

void GaugeWidget::SetScale(double min, double max, int decimals, double label_divisor,
                           int max_major, int minor_per_major) {
  scale_.min = min;
  scale_.max = max;
  decimals_ = decimals;
  label_divisor_ = label_divisor;
  ticks_ = core::GaugeTicks(scale_, max_major, minor_per_major, label_divisor);
  update();
}

void GaugeWidget::SetZones(std::vector<GaugeZone> zones) {
  zones_ = std::move(zones);
  update();
}

void GaugeWidget::SetValue(double value) {
  if (reading_.Set(value)) {
    update();
  }
}

void GaugeWidget::ClearValue() {
  if (reading_.Clear()) {
    update();
  }
}

QString GaugeWidget::ValueText() const {
  return reading_.Text(decimals_);
}

void GaugeWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  const QRectF area = PaintCard(p, *this, title_);
  const double side = std::min(area.width(), area.height());
  if (side < 20) {
    return;
  }
  const double r = side / 2;
  const QPointF c(area.center().x(), area.top() + r + (area.height() - side) / 2);
  PaintRing(p, c, r);
  PaintTicks(p, c, r);
  PaintFigures(p, c, r);
  PaintNeedle(p, c, r);
}

void GaugeWidget::PaintRing(QPainter& p, QPointF c, double r) const {
  // Track, zones, then the reading's progress over them.
  const double ring = r * dial::kRing;
  QPen pen(Colour(palette::kTrack), r * dial::kRingWidth, Qt::SolidLine, Qt::FlatCap);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  Arc(p, c, ring, scale_.start_deg, -scale_.sweep_deg);
  for (const auto& z : zones_) {
    const auto span = core::ZoneArc(z.from, z.to, scale_);
    QColor zc = Colour(z.colour);
    zc.setAlpha(dial::kZoneAlpha);
    pen.setColor(zc);
    p.setPen(pen);
    Arc(p, c, ring, span.start_deg, span.span_deg);
  }
  const QRgb reading = ZoneColour(zones_, reading_.Value(), palette::kAccent);
  if (reading_.Has()) {
    pen.setColor(Colour(reading));
    p.setPen(pen);
    const double angle = core::NeedleAngle(reading_.Value(), scale_);
    Arc(p, c, ring, scale_.start_deg, angle - scale_.start_deg);
  }
}

void GaugeWidget::PaintTicks(QPainter& p, QPointF c, double r) const {
  const QFont label_font = PixelFont(*this, r * dial::kLabelPixels);
  p.setFont(label_font);
  for (const auto& t : ticks_) {
    const double inner = t.major ? dial::kMajorInner : dial::kMinorInner;
    QPen tp(Colour(t.major ? palette::kTick : palette::kIdle), t.major ? 2.0 : 1.0);
    tp.setCapStyle(Qt::RoundCap);
    p.setPen(tp);
    p.drawLine(Polar(c, r * dial::kMajorOuter, t.angle_deg), Polar(c, r * inner, t.angle_deg));
    if (t.major) {
      const QPointF at = Polar(c, r * dial::kLabels, t.angle_deg);
      const double box = r * 0.5;
      p.setPen(Colour(palette::kText));
      p.drawText(QRectF(at.x() - box / 2, at.y() - box / 4, box, box / 2), Qt::AlignCenter,
                 QString::fromStdString(t.label));
    }
  }
}

void GaugeWidget::PaintFigures(QPainter& p, QPointF c, double r) const {
  // Figures and unit in the open bottom of the dial, the labels' note above
  // the hub.
  p.setPen(Colour(reading_.Has() ? palette::kText : palette::kTextMuted));
  p.setFont(PixelFont(*this, r * dial::kValuePixels, true));
  p.drawText(QRectF(c.x() - r, c.y() + r * (dial::kValueY - 0.16), 2 * r, r * 0.32),
             Qt::AlignCenter, ValueText());
  p.setPen(Colour(palette::kTextMuted));
  p.setFont(PixelFont(*this, r * dial::kUnitPixels));
  p.drawText(QRectF(c.x() - r, c.y() + r * (dial::kUnitY - 0.09), 2 * r, r * 0.18), Qt::AlignCenter,
             unit_);
  if (!label_note_.isEmpty()) {
    p.setFont(PixelFont(*this, r * dial::kLabelPixels * 0.85));
    p.drawText(QRectF(c.x() - r / 2, c.y() - r * 0.38, r, r * 0.16), Qt::AlignCenter, label_note_);
  }
}

void GaugeWidget::PaintNeedle(QPainter& p, QPointF c, double r) const {
  // Drawn along +x and turned into place.
  p.save();
  p.translate(c);
  p.rotate(-core::NeedleAngle(reading_.Has() ? reading_.Value() : scale_.min, scale_));
  QPainterPath needle;
  const double base = r * dial::kNeedleBase;
  needle.moveTo(-r * dial::kNeedleTail, -base * 0.6);
  needle.lineTo(r * dial::kNeedle, -base * 0.15);
  needle.lineTo(r * dial::kNeedle, base * 0.15);
  needle.lineTo(-r * dial::kNeedleTail, base * 0.6);
  needle.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(Colour(reading_.Has() ? palette::kNeedle : palette::kIdle));
  p.drawPath(needle);
  p.setBrush(Colour(palette::kHub));
  p.drawEllipse(QPointF(0, 0), r * dial::kHub, r * dial::kHub);
  p.restore();
}

}  // namespace velmora::ui
