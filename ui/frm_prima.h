#pragma once

#include <QPixmap>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "platform/clock.h"

class QTimer;

namespace velmora::ui {

// The splash window: the logo picture for four seconds, fading out over the
// last 0.8 s, then it closes itself. The window takes the picture's
// rectangle; no region file is needed to shape it.
class FrmPrima : public QWidget {
  Q_OBJECT
 public:
  // `picture` is the logo file; when it cannot be read the logo is drawn.
  // The clock is not owned and must outlive the window.
  FrmPrima(platform::Clock& clock, const QString& picture, QWidget* parent = nullptr);

  // Notes the start, shows the window centred on the screen and starts the
  // timer.
  void Start();
  // One look at the clock: sets the opacity, and at the end stops the timer
  // and closes the window. The timer calls it; tests call it directly.
  void Tick();

  [[nodiscard]] bool UsesPicture() const { return from_file_; }
  [[nodiscard]] bool Running() const;
  // Called once the splash has closed itself.
  void SetOnClosed(std::function<void()> on_closed) { on_closed_ = std::move(on_closed); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  platform::Clock& clock_;
  QPixmap picture_;
  bool from_file_ = false;
  QTimer* timer_;
  std::int64_t start_us_ = 0;
  bool closed_ = false;
  std::function<void()> on_closed_;
};

}  // namespace velmora::ui
