#pragma once

#include <QWidget>

#include "acq/frm_logger.h"

namespace velmora::ui {

// The logger's plot (Pct): the traces the model lays out, each channel's
// arrow (LblFreccia) in the left margin, the grid, the recording pen and
// the two cursors. A left click places cursor A, a right click cursor B.
class LoggerPlotView final : public QWidget {
  Q_OBJECT
 public:
  explicit LoggerPlotView(acq::FrmLogger& model, QWidget* parent = nullptr);

 signals:
  void CursorMoved();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void PaintGrid(QPainter& p, const acq::PlotLayout& layout) const;
  void PaintCursors(QPainter& p) const;
  void PaintArrows(QPainter& p, const acq::PlotLayout& layout) const;

  acq::FrmLogger& model_;
};

// The whole recording in a strip under the plot, the plot's window marked;
// a click shows the recording around that time.
class LoggerOverviewView final : public QWidget {
  Q_OBJECT
 public:
  explicit LoggerOverviewView(acq::FrmLogger& model, QWidget* parent = nullptr);

 signals:
  void Jumped();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  acq::FrmLogger& model_;
};

// A trace colour of the setup file (0x00BBGGRR) as Qt's.
[[nodiscard]] QColor ChannelColour(std::int32_t colour);

}  // namespace velmora::ui
