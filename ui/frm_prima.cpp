#include "ui/frm_prima.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include "core/splash_timing.h"
#include "core/version.h"
#include "ui/splash_logo.h"

namespace velmora::ui {

FrmPrima::FrmPrima(platform::Clock& clock, const QString& picture, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      clock_(clock),
      timer_(new QTimer(this)) {
  setObjectName("FrmPrima");
  if (!picture.isEmpty() && picture_.load(picture) && !picture_.isNull()) {
    from_file_ = true;
  } else {
    picture_ = QPixmap::fromImage(
        DrawSplashLogo(kSplashSize, QString::fromStdString(core::VersionText())));
  }
  setFixedSize(picture_.deviceIndependentSize().toSize());
  timer_->setInterval(core::splash::kTickMs);
  connect(timer_, &QTimer::timeout, this, [this] { Tick(); });
}

void FrmPrima::Start() {
  start_us_ = clock_.NowMicros();
  closed_ = false;
  setWindowOpacity(1.0);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = rect();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  show();
  raise();
  timer_->start();
}

bool FrmPrima::Running() const {
  return timer_->isActive();
}

void FrmPrima::Tick() {
  if (closed_) {
    return;
  }
  const std::int64_t elapsed = clock_.NowMicros() - start_us_;
  setWindowOpacity(core::SplashOpacity(elapsed));
  if (core::SplashFinished(elapsed)) {
    closed_ = true;
    timer_->stop();
    close();
    if (on_closed_) {
      on_closed_();
    }
  }
}

void FrmPrima::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawPixmap(rect(), picture_);
}

}  // namespace velmora::ui
