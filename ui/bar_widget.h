#pragma once

#include <QRectF>
#include <QWidget>
#include <optional>
#include <vector>

#include "core/gauge_geometry.h"
#include "ui/gauge_widget.h"
#include "ui/shown_reading.h"

class QPainter;

namespace velmora::ui {

// A level or a time as a horizontal bar: title and figures on one line, the
// bar below with an optional reference mark and segment dividers, the scale's
// ends under it.
class BarWidget : public QWidget {
  Q_OBJECT
 public:
  explicit BarWidget(QWidget* parent = nullptr);

  void SetTitle(const QString& title);
  void SetUnit(const QString& unit);
  void SetScale(double min, double max, int decimals);
  void SetZones(std::vector<GaugeZone> zones);
  // A thin mark across the bar at `value` (a switching point, a target).
  void SetMarker(std::optional<double> value);
  // Divides the bar into `count` equal segments (a level shown in LEDs);
  // 0 or 1 for a plain bar.
  void SetSegments(int count);
  // Without a card and title: for bars grouped on one card.
  void SetCompact(bool compact);

  void SetValue(double value);  // not a number clears
  void ClearValue();
  [[nodiscard]] bool HasValue() const { return reading_.Has(); }
  [[nodiscard]] double Value() const { return reading_.Value(); }
  [[nodiscard]] QString ValueText() const;
  [[nodiscard]] const QString& Title() const { return title_; }

  [[nodiscard]] QSize sizeHint() const override;
  [[nodiscard]] QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // The title and the figures on one line; returns where they went.
  QRectF PaintHead(QPainter& p, const QRectF& area) const;
  void PaintBar(QPainter& p, const QRectF& bar) const;
  // The scale's ends under the bar.
  void PaintEnds(QPainter& p, const QRectF& bar) const;

  QString title_;
  QString unit_;
  core::GaugeScale scale_{};
  int decimals_ = 0;
  std::vector<GaugeZone> zones_;
  std::optional<double> marker_;
  int segments_ = 0;
  bool compact_ = false;
  ShownReading reading_;
};

}  // namespace velmora::ui
