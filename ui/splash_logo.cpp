#include "ui/splash_logo.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "ui/ui_palette.h"

namespace velmora::ui {

namespace {

constexpr QRgb kHalo = 0x40FFFFFF;
constexpr QRgb kSubtle = 0xFFB8CCE0;
constexpr QRgb kFlameOuter = 0xFF4FA3E0;
constexpr QRgb kFlameInner = 0xFFE8F3FC;

QFont Font(double pixels, int weight, double spacing = 0) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(static_cast<int>(pixels));
  f.setWeight(static_cast<QFont::Weight>(weight));
  if (spacing != 0) {
    f.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
  }
  return f;
}

// A gas flame in a ring: the emblem of the product.
void DrawEmblem(QPainter& p, QPointF c, double r) {
  p.setPen(QPen(Colour(kFlameOuter), r * 0.09));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(c, r, r);
  auto flame = [&](double h, double w, QRgb colour) {
    QPainterPath path;
    const QPointF tip(c.x(), c.y() - h * 0.62);
    const QPointF base(c.x(), c.y() + h * 0.42);
    path.moveTo(tip);
    path.cubicTo(QPointF(c.x() + w * 0.25, c.y() - h * 0.25), QPointF(c.x() + w * 0.75, c.y()),
                 QPointF(c.x() + w * 0.5, c.y() + h * 0.2));
    path.cubicTo(QPointF(c.x() + w * 0.35, c.y() + h * 0.4), QPointF(c.x() + w * 0.1, base.y()),
                 base);
    path.cubicTo(QPointF(c.x() - w * 0.1, base.y()), QPointF(c.x() - w * 0.35, c.y() + h * 0.4),
                 QPointF(c.x() - w * 0.5, c.y() + h * 0.2));
    path.cubicTo(QPointF(c.x() - w * 0.75, c.y()), QPointF(c.x() - w * 0.25, c.y() - h * 0.25),
                 tip);
    p.setPen(Qt::NoPen);
    p.setBrush(Colour(colour));
    p.drawPath(path);
  };
  flame(r * 1.25, r * 1.05, kFlameOuter);
  flame(r * 0.7, r * 0.55, kFlameInner);
}

}  // namespace

QImage DrawSplashLogo(QSize size, const QString& version) {
  QImage image(size, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  const double w = size.width();
  const double h = size.height();

  QLinearGradient bg(0, 0, w, h);
  bg.setColorAt(0, Colour(palette::kLogoDeep));
  bg.setColorAt(1, Colour(palette::kLogoLight));
  p.fillRect(image.rect(), bg);
  QRadialGradient glow(QPointF(w * 0.22, h * 0.45), h * 0.55);
  glow.setColorAt(0, QColor::fromRgba(kHalo));
  glow.setColorAt(1, Qt::transparent);
  p.fillRect(image.rect(), glow);

  const double r = h * 0.17;
  DrawEmblem(p, QPointF(w * 0.22, h * 0.45), r);

  const double x = w * 0.38;
  p.setPen(Colour(kSubtle));
  p.setFont(Font(h * 0.05, QFont::DemiBold, h * 0.012));
  p.drawText(QRectF(x, h * 0.20, w - x, h * 0.08), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("CORVALIS"));
  p.setPen(Qt::white);
  p.setFont(Font(h * 0.15, QFont::Bold));
  p.drawText(QRectF(x, h * 0.28, w - x, h * 0.18), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Velmora"));
  p.setFont(Font(h * 0.075, QFont::Normal));
  p.drawText(QRectF(x, h * 0.46, w - x, h * 0.1), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Workstation"));
  p.setPen(QPen(Colour(kSubtle), 1));
  p.drawLine(QPointF(x, h * 0.60), QPointF(w * 0.9, h * 0.60));
  p.setPen(Colour(kSubtle));
  p.setFont(Font(h * 0.045, QFont::Normal));
  p.drawText(QRectF(x, h * 0.62, w - x, h * 0.08), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Gas injection calibration and diagnosis"));
  if (!version.isEmpty()) {
    p.setFont(Font(h * 0.04, QFont::Normal));
    p.drawText(QRectF(0, h * 0.86, w - h * 0.05, h * 0.08), Qt::AlignRight | Qt::AlignVCenter,
               version.trimmed());
  }
  return image;
}

}  // namespace velmora::ui
