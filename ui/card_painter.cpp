#include "ui/card_painter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {
constexpr double kMinPixels = 7;
constexpr double kTitleGap = 4;
}  // namespace

QFont ScaledFont(const QWidget& w, double scale, bool bold) {
  QFont f = w.font();
  if (f.pointSizeF() > 0) {
    f.setPointSizeF(f.pointSizeF() * scale);
  } else {
    f.setPixelSize(std::max(1, static_cast<int>(f.pixelSize() * scale)));
  }
  f.setBold(bold);
  return f;
}

QFont PixelFont(const QWidget& w, double pixels, bool bold) {
  QFont f = w.font();
  f.setPixelSize(static_cast<int>(std::max(kMinPixels, pixels)));
  f.setBold(bold);
  return f;
}

QRectF PaintCard(QPainter& p, const QWidget& w, const QString& title) {
  const QRectF card = QRectF(w.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  p.setPen(QPen(Colour(palette::kCardBorder), 1));
  p.setBrush(Colour(palette::kCard));
  p.drawRoundedRect(card, spacing::kCardRadius, spacing::kCardRadius);
  const QRectF inner = card.adjusted(spacing::kCardPadding, spacing::kCardPadding - 2,
                                     -spacing::kCardPadding, -spacing::kCardPadding);
  if (title.isEmpty()) {
    return inner;
  }
  const QFont tf = ScaledFont(w, 0.95, true);
  const QFontMetricsF fm(tf);
  p.setFont(tf);
  p.setPen(Colour(palette::kTextMuted));
  const QRectF title_rect(inner.left(), inner.top(), inner.width(), fm.height());
  p.drawText(title_rect, Qt::AlignLeft | Qt::AlignVCenter,
             fm.elidedText(title, Qt::ElideRight, inner.width()));
  return inner.adjusted(0, fm.height() + kTitleGap, 0, 0);
}

void UseWindowBackground(QWidget& w) {
  w.setAutoFillBackground(true);
  QPalette pal = w.palette();
  pal.setColor(QPalette::Window, Colour(palette::kWindow));
  w.setPalette(pal);
}

void SetTextColour(QWidget& w, QRgb colour) {
  QPalette pal = w.palette();
  pal.setColor(QPalette::WindowText, Colour(colour));
  w.setPalette(pal);
}

}  // namespace velmora::ui
