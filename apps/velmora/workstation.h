#pragma once

#include <QString>
#include <memory>
#include <optional>

#include "calib/calibration_env.h"
#include "calib/calibration_file.h"
#include "calib/calibration_image.h"
#include "calib/coefficient_file.h"
#include "calib/sensor_tables.h"
#include "core/session_flags.h"
#include "core/startup.h"
#include "firmware/update_request.h"
#include "link/ecu_access.h"
#include "link/message_table.h"
#include "link/pipe_channel.h"
#include "platform/clock.h"
#include "platform/event_pump.h"
#include "platform/message_box.h"
#include "platform/serial_enumerator.h"
#include "session/calib_calibration_service.h"
#include "session/session.h"
#include "tuning/autotune_run.h"
#include "ui/main_window.h"

namespace velmora::app {

// The services the workstation is built on, made once by the program's
// entry (or by a test). None is owned.
struct WorkstationServices {
  link::ModPipe& pipe;  // built on `flags`, `pump` and `clock`
  core::SessionFlags& flags;
  platform::MessageBox& box;
  platform::Clock& clock;
  platform::EventPump& pump;
  platform::SerialEnumerator& enumerator;
};

// Everything the main window's session works with: the ECU access, the
// message table, the calibration image and its procedures, the session, and
// the window as the session's host. Built when the start-up sequence loads
// the main window, when the configuration files and the dictionary are read.
class Workstation {
 public:
  // `coefficients` (may be null) gives the map pages their pressure line.
  Workstation(core::StartupState& state, const calib::SensorTables& tables,
              WorkstationServices services, const calib::CoefficientList* coefficients = nullptr);
  Workstation(const Workstation&) = delete;
  Workstation& operator=(const Workstation&) = delete;
  ~Workstation();

  // Shows the window and ends its loading (splash, start page, timers).
  // `splash` false leaves the splash out (scripted runs, tests).
  void Load(bool splash);

  [[nodiscard]] ui::MainWindow& Window() { return *window_; }
  [[nodiscard]] session::Session& Session() { return *session_; }
  [[nodiscard]] link::MessageTable& Table() { return table_; }
  [[nodiscard]] link::EcuAccess& Ecu() { return ecu_; }
  [[nodiscard]] calib::CalibrationImage& Image() { return image_; }

 private:
  core::StartupState& state_;
  WorkstationServices services_;
  link::EcuAccess ecu_;
  link::MessageTable table_;
  calib::CalibrationImage image_;
  calib::SystemDateProvider dates_;
  calib::CalibrationEnv env_;
  session::CalibCalibrationService calibration_;
  firmware::FirmwareLinks firmware_{ecu_, calibration_, {}};
  tuning::TuningLinks tuning_{ecu_, calibration_, services_.pump};
  std::unique_ptr<ui::MainWindow> window_;
  std::optional<session::Session> session_;
};

// The splash window's picture.
[[nodiscard]] QString SplashPicture(const core::StartupState& state);

}  // namespace velmora::app
