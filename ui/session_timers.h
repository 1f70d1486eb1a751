#pragma once

#include <QObject>
#include <QTimer>

#include "session/session.h"

namespace velmora::ui {

// The main window's two timers: Timer1 (50 ms) runs the session's state
// machine, Timer2 (100 ms) its user-interface refresh. Both are created
// stopped.
class SessionTimers {
 public:
  explicit SessionTimers(QObject* owner) : timer1_(new QTimer(owner)), timer2_(new QTimer(owner)) {
    timer1_->setObjectName("Timer1");
    timer1_->setInterval(static_cast<int>(session::session_timing::kTimer1IntervalMs));
    timer2_->setObjectName("Timer2");
    timer2_->setInterval(static_cast<int>(session::session_timing::kTimer2IntervalMs));
  }

  void Drive(session::Session& session) {
    QObject::connect(timer1_, &QTimer::timeout, timer1_, [&session] { session.Timer1_Timer(); });
    QObject::connect(timer2_, &QTimer::timeout, timer2_, [&session] { session.Timer2_Timer(); });
  }
  void Start() {
    timer1_->start();
    timer2_->start();
  }
  void Stop() {
    timer1_->stop();
    timer2_->stop();
  }
  void EnableTimer2(bool enable) { enable ? timer2_->start() : timer2_->stop(); }

 private:
  QTimer* timer1_;
  QTimer* timer2_;
};

}  // namespace velmora::ui
