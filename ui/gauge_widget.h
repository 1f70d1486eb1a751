#pragma once

#include <QPointF>
#include <QWidget>
#include <vector>

#include "core/gauge_geometry.h"
#include "ui/shown_reading.h"

class QPainter;

namespace velmora::ui {

// A coloured band of a dial or bar: readings inside it take its colour.
struct GaugeZone {
  double from = 0;
  double to = 0;
  QRgb colour = 0;
};

// The colour of the first zone holding `value`, or `otherwise`.
[[nodiscard]] QRgb ZoneColour(const std::vector<GaugeZone>& zones, double value, QRgb otherwise);

// A round instrument: a 270-degree dial with ticks and labels, coloured
// zones, a needle, the value in figures and its unit. Shows a dash until it
// has a value.
class GaugeWidget : public QWidget {
  Q_OBJECT
 public:
  explicit GaugeWidget(QWidget* parent = nullptr);

  void SetTitle(const QString& title);
  // The unit under the figures.
  void SetUnit(const QString& unit);
  // A note on the labels' scale ("x1000") shown above the hub.
  void SetLabelNote(const QString& note);
  void SetScale(double min, double max, int decimals, double label_divisor = 1, int max_major = 8,
                int minor_per_major = 5);
  void SetZones(std::vector<GaugeZone> zones);

  // A value that is not a number clears the gauge.
  void SetValue(double value);
  void ClearValue();

  [[nodiscard]] bool HasValue() const { return reading_.Has(); }
  [[nodiscard]] double Value() const { return reading_.Value(); }
  // The figures as shown: "-" without a value.
  [[nodiscard]] QString ValueText() const;
  [[nodiscard]] const QString& Title() const { return title_; }
  [[nodiscard]] const core::GaugeScale& Scale() const { return scale_; }

  [[nodiscard]] QSize sizeHint() const override { return {210, 220}; }
  [[nodiscard]] QSize minimumSizeHint() const override { return {140, 150}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Around the centre `c` of a dial of radius `r`.
  void PaintRing(QPainter& p, QPointF c, double r) const;
  void PaintTicks(QPainter& p, QPointF c, double r) const;
  void PaintFigures(QPainter& p, QPointF c, double r) const;
  void PaintNeedle(QPainter& p, QPointF c, double r) const;

  QString title_;
  QString unit_;
  QString label_note_;
  core::GaugeScale scale_{};
  int decimals_ = 0;
  double label_divisor_ = 1;
  std::vector<core::GaugeTick> ticks_;
  std::vector<GaugeZone> zones_;
  ShownReading reading_;
};

}  // namespace velmora::ui
