#include "ui/logger_plot_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

constexpr QRgb kPlotBack = 0xFFFFFFFF;
constexpr QRgb kGridLine = 0xFFE9EDF1;
constexpr QRgb kCursorA = 0xFF2F6FAB;
constexpr QRgb kCursorB = 0xFFC9403A;
constexpr QRgb kWindowShade = 0x332F6FAB;
constexpr int kHorizontalLines = 10;
constexpr int kArrowHalf = 5;
constexpr int kOverviewPad = 3;

QPolygon Polyline(const std::vector<acq::PlotPoint>& points) {
  QPolygon poly;
  poly.reserve(static_cast<int>(points.size()));
  for (const acq::PlotPoint& pt : points) {
    poly.append(QPoint(pt.x, pt.y));
  }
  return poly;
}

void PaintTraces(QPainter& p, const std::vector<acq::TraceLayout>& traces, qreal width) {
  for (const acq::TraceLayout& t : traces) {
    p.setPen(QPen(ChannelColour(t.colour), width));
    p.drawPolyline(Polyline(t.points));
  }
}

}  // namespace

QColor ChannelColour(std::int32_t colour) {
  const auto c = static_cast<std::uint32_t>(colour);
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

LoggerPlotView::LoggerPlotView(acq::FrmLogger& model, QWidget* parent)
    : QWidget(parent), model_(model) {
  setObjectName("Pct");
  setMinimumSize(320, 220);
  setMouseTracking(false);
  setCursor(Qt::CrossCursor);
}

void LoggerPlotView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  model_.SetPlotSize({width(), height()});
}

void LoggerPlotView::PaintGrid(QPainter& p, const acq::PlotLayout& layout) const {
  p.setPen(QPen(Colour(kGridLine), 1));
  for (int k = 1; k < kHorizontalLines; ++k) {
    const int y = height() * k / kHorizontalLines;
    p.drawLine(0, y, width(), y);
  }
  for (const int x : layout.second_lines) {
    p.drawLine(x, 0, x, height());
  }
  const int margin = acq::logger::kLeftMarginTwips / acq::logger::kTwipsPerPixel;
  p.setPen(QPen(Colour(palette::kCardBorder), 1));
  p.drawLine(margin, 0, margin, height());
}

void LoggerPlotView::PaintArrows(QPainter& p, const acq::PlotLayout& layout) const {
  const acq::Channels& channels = model_.ChannelTable();
  const int centre = acq::logger::kArrowCentreTwips / acq::logger::kTwipsPerPixel;
  p.setPen(Qt::NoPen);
  for (std::size_t c = 0; c < channels.size(); ++c) {
    if (!layout.arrows[c]) {
      continue;
    }
    const int y = *layout.arrows[c] + centre;
    QPolygon arrow;
    arrow << QPoint(0, y - kArrowHalf) << QPoint(2 * kArrowHalf - 1, y)
          << QPoint(0, y + kArrowHalf);
    p.setBrush(ChannelColour(channels[c].colour));
    p.drawPolygon(arrow);
  }
}

void LoggerPlotView::PaintCursors(QPainter& p) const {
  const acq::CursorReadout r = model_.Cursors();
  const acq::TimeWindow& w = model_.Window();
  const auto draw = [&](const std::optional<std::int64_t>& t, QRgb colour, const QString& name) {
    if (!t) {
      return;
    }
    const int x = static_cast<int>(acq::XTwips(w, *t) / acq::logger::kTwipsPerPixel);
    p.setPen(QPen(Colour(colour), 1, Qt::DashLine));
    p.drawLine(x, 0, x, height());
    p.setPen(Colour(colour));
    p.drawText(QPoint(x + 4, 14), name);
  };
  draw(r.a_ms, kCursorA, QStringLiteral("A"));
  draw(r.b_ms, kCursorB, QStringLiteral("B"));
}

void LoggerPlotView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Colour(kPlotBack));
  const acq::PlotLayout layout = model_.Layout();
  PaintGrid(p, layout);
  p.setRenderHint(QPainter::Antialiasing);
  PaintTraces(p, layout.traces, 1.4);
  PaintArrows(p, layout);
  if (layout.pen_x) {
    p.setPen(QPen(Colour(palette::kTick), 1));
    p.drawLine(*layout.pen_x, 0, *layout.pen_x, height());
  }
  PaintCursors(p);
  if (layout.traces.empty() || (model_.Samples().Empty() && !layout.pen_x)) {
    p.setPen(Colour(palette::kTextMuted));
    p.drawText(rect(), Qt::AlignCenter, QString::fromStdString(model_.StatusText()));
  }
  p.setPen(QPen(Colour(palette::kCardBorder), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void LoggerPlotView::mousePressEvent(QMouseEvent* event) {
  const int which = event->button() == Qt::RightButton ? 1 : 0;
  model_.SetCursor(which, static_cast<int>(event->position().x()));
  emit CursorMoved();
  update();
}

void LoggerPlotView::mouseMoveEvent(QMouseEvent* event) {
  if ((event->buttons() & Qt::LeftButton) != 0) {
    model_.SetCursor(0, static_cast<int>(event->position().x()));
    emit CursorMoved();
    update();
  }
}

LoggerOverviewView::LoggerOverviewView(acq::FrmLogger& model, QWidget* parent)
    : QWidget(parent), model_(model) {
  setObjectName("Overview");
  setFixedHeight(64);
  setCursor(Qt::PointingHandCursor);
}

void LoggerOverviewView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Colour(palette::kCard));
  const QRect inner = rect().adjusted(0, kOverviewPad, 0, -kOverviewPad);
  const acq::OverviewLayout o = model_.OverviewOf({width(), inner.height()});
  if (!o.traces.empty()) {
    p.fillRect(QRect(o.window_x0, 0, std::max(o.window_x1 - o.window_x0, 2), height()),
               QColor::fromRgba(kWindowShade));
    p.translate(0, kOverviewPad);
    p.setRenderHint(QPainter::Antialiasing);
    PaintTraces(p, o.traces, 1.0);
    p.resetTransform();
  }
  p.setPen(QPen(Colour(palette::kCardBorder), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void LoggerOverviewView::mousePressEvent(QMouseEvent* event) {
  const acq::SampleTable& s = model_.Samples();
  if (s.Empty() || width() <= 1) {
    return;
  }
  const double share = event->position().x() / static_cast<double>(width() - 1);
  const std::int64_t t0 = s.Time(0);
  const std::int64_t t1 = s.Time(s.Count() - 1);
  model_.JumpTo(t0 + static_cast<std::int64_t>(share * static_cast<double>(t1 - t0)));
  emit Jumped();
  update();
}

}  // namespace velmora::ui
