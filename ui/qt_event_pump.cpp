#include "ui/qt_event_pump.h"

#include <QCoreApplication>

#include "platform/posix/poll_event_pump.h"

namespace velmora::ui {

void QtEventPump::Pump() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool QtEventPump::WaitReadable(int fd, std::int64_t max_micros) {
  Pump();
  return platform::PollReadable(fd, max_micros);
}

}  // namespace velmora::ui
