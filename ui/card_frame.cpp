#include "ui/card_frame.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>

#include "ui/card_painter.h"
#include "ui/ui_palette.h"

namespace velmora::ui {

CardFrame::CardFrame(QWidget* parent) : QWidget(parent), body_(new QVBoxLayout(this)) {
  const int title_h =
      static_cast<int>(std::ceil(QFontMetricsF(ScaledFont(*this, 0.95, true)).height()));
  body_->setContentsMargins(spacing::kCardPadding, spacing::kCardPadding + title_h,
                            spacing::kCardPadding, spacing::kCardPadding);
  body_->setSpacing(6);
}

void CardFrame::SetTitle(const QString& title) {
  title_ = title;
  update();
}

void CardFrame::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  (void)PaintCard(p, *this, title_);
}

}  // namespace velmora::ui
