#include "ui/connection_icon.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "core/session_flags.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

constexpr int kFadedAlpha = 80;
constexpr int kSearchArcs = 3;

// A plug and its socket, apart by `gap` (fractions of the radius).
void DrawPlug(QPainter& p, double r, double gap) {
  p.save();
  p.rotate(-45);
  const QColor white(Qt::white);
  p.setPen(QPen(white, r * 0.09, Qt::SolidLine, Qt::RoundCap));
  const double half = gap * r / 2;
  // Cables.
  p.drawLine(QPointF(-0.74 * r, 0), QPointF(-0.55 * r - half, 0));
  p.drawLine(QPointF(0.52 * r + half, 0), QPointF(0.74 * r, 0));
  // Prongs.
  p.setPen(QPen(white, r * 0.07, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(-0.2 * r - half, -0.1 * r), QPointF(0.08 * r - half, -0.1 * r));
  p.drawLine(QPointF(-0.2 * r - half, 0.1 * r), QPointF(0.08 * r - half, 0.1 * r));
  // Bodies; the cables end inside the disc whatever the gap.
  p.setPen(Qt::NoPen);
  p.setBrush(white);
  p.drawRoundedRect(QRectF(-0.58 * r - half, -0.24 * r, 0.4 * r, 0.48 * r), 0.08 * r, 0.08 * r);
  p.drawRoundedRect(QRectF(0.08 * r + half, -0.24 * r, 0.46 * r, 0.48 * r), 0.08 * r, 0.08 * r);
  p.restore();
}

// The search frames: arcs widening from a point, one more per frame.
void DrawSearch(QPainter& p, double r, int frame) {
  const QPointF origin(-0.32 * r, 0.32 * r);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(origin, 0.1 * r, 0.1 * r);
  for (int i = 0; i < kSearchArcs; ++i) {
    QColor c(Qt::white);
    if (i >= frame) {
      c.setAlpha(kFadedAlpha);
    }
    p.setPen(QPen(c, r * 0.09, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const double rad = r * (0.32 + 0.22 * i);
    p.drawArc(QRectF(origin.x() - rad, origin.y() - rad, 2 * rad, 2 * rad), 0, 90 * 16);
  }
}

}  // namespace

int ConnectionPictureFor(int session_state, int frame) {
  namespace s = core::session_state;
  if (session_state == s::kSearching) {
    const int f = frame % connection_picture::kSearchFrames;
    return f < 0 ? f + connection_picture::kSearchFrames : f;
  }
  if (session_state == s::kDisconnected || session_state == s::kDisconnectedAlt) {
    return connection_picture::kDisconnected;
  }
  return connection_picture::kConnected;
}

ConnectionIcon::ConnectionIcon(QWidget* parent) : QWidget(parent) {
  setCursor(Qt::PointingHandCursor);
  setMinimumSize(24, 24);
}

void ConnectionIcon::SetPicture(int index) {
  if (index < 0 || index > connection_picture::kConnected) {
    index = connection_picture::kDisconnected;
  }
  if (index != picture_) {
    picture_ = index;
    update();
  }
}

void ConnectionIcon::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const double r = std::min(width(), height()) / 2.0 - 1;
  p.translate(rect().center() + QPointF(0.5, 0.5));
  QRgb fill = palette::kAccent;
  if (picture_ == connection_picture::kConnected) {
    fill = palette::kOk;
  } else if (picture_ == connection_picture::kDisconnected) {
    fill = palette::kDanger;
  }
  p.setPen(Qt::NoPen);
  p.setBrush(Colour(fill));
  p.drawEllipse(QPointF(0, 0), r, r);
  if (picture_ == connection_picture::kConnected) {
    DrawPlug(p, r, 0);
  } else if (picture_ == connection_picture::kDisconnected) {
    DrawPlug(p, r, 0.3);
  } else {
    DrawSearch(p, r, picture_);
  }
}

void ConnectionIcon::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
      on_clicked_) {
    on_clicked_();
  }
  QWidget::mouseReleaseEvent(event);
}

}  // namespace velmora::ui
