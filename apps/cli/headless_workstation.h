#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "apps/cli/headless_host.h"
#include "apps/cli/headless_pump.h"
#include "calib/calibration_env.h"
#include "calib/calibration_file.h"
#include "calib/calibration_image.h"
#include "core/paths.h"
#include "core/session_flags.h"
#include "core/startup.h"
#include "link/ecu_access.h"
#include "link/message_table.h"
#include "link/pipe_channel.h"
#include "platform/posix/libserialport_enumerator.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/proc_process_list.h"
#include "platform/stderr_message_box.h"
#include "session/calib_calibration_service.h"
#include "session/session.h"

namespace velmora::cli {

using SteadyClock = std::chrono::steady_clock;

// The workstation without its window: the start-up sequence, the link, the
// message table, the calibration image and the connection session, wired as
// the main window wires them. The session's two timers are driven by the
// clock; between ticks the program waits in the pump.
class HeadlessWorkstation {
 public:
  // `root` is the installation; `client_name` goes to the link server.
  HeadlessWorkstation(const std::string& root, const std::string& client_name);
  HeadlessWorkstation(const HeadlessWorkstation&) = delete;
  HeadlessWorkstation& operator=(const HeadlessWorkstation&) = delete;
  // Runs the exit sequence when the command did not.
  ~HeadlessWorkstation();

  // False when the link server could not be started and greeted (its box
  // has been shown).
  [[nodiscard]] bool LinkStarted() const { return link_started_; }

  // The end of the window's loading: the first tick searches for the ECU.
  void Start();

  // Runs both timers at their intervals until `done` holds, the session has
  // closed itself, or `deadline` has passed; true when `done` held.
  [[nodiscard]] bool RunUntil(const std::function<bool()>& done, SteadyClock::time_point deadline);

  // Runs until the ECU is identified and read (state 2). The search stops,
  // as with the search window's stop button, when nothing was found by
  // `search_deadline`. False, with the reason on standard error, when the
  // session is not connected.
  [[nodiscard]] bool WaitConnected(SteadyClock::time_point search_deadline);

  // The session closes as the window does when the user closes it: the
  // exit request, then the unload on the next Timer1 tick, then message 1.
  // True when it closed within `limit`.
  bool Close(std::chrono::milliseconds limit = std::chrono::seconds(30));

  // At `when` the session is asked to close (the window's close button),
  // wherever it is.
  void CloseAt(SteadyClock::time_point when) { close_at_ = when; }

  // How a posted request ended.
  enum class RequestEnd {
    kSucceeded,
    kFailed,  // its work ran and failed
    kNotRun,  // refused, dropped, or still pending at the limit (said on stderr)
  };
  // Posts `code` (with the file, for the file transfers) and runs until its
  // work has run or the session dropped it.
  [[nodiscard]] RequestEnd RunRequest(int code, const std::string& file,
                                      std::chrono::seconds limit);

  [[nodiscard]] session::Session& Session() { return session_; }
  [[nodiscard]] link::MessageTable& Table() { return table_; }
  [[nodiscard]] link::EcuAccess& Ecu() { return ecu_; }
  [[nodiscard]] HeadlessHost& Host() { return host_; }
  [[nodiscard]] const core::PathTable& Paths() const { return startup_.paths; }
  [[nodiscard]] const core::ClsLingue& Lingue() const { return startup_.lingue; }
  [[nodiscard]] platform::Clock& Clock() { return clock_; }
  [[nodiscard]] platform::EventPump& Pump() { return pump_; }
  [[nodiscard]] const core::SetComConfig& SetCom() const { return startup_.set_com; }
  [[nodiscard]] const session::SessionTexts& Texts() const { return texts_; }
  [[nodiscard]] platform::StderrMessageBox& Box() { return box_; }
  [[nodiscard]] session::CalibCalibrationService& Calibration() { return calibration_; }
  [[nodiscard]] calib::CalibrationImage& Image() { return image_; }
  [[nodiscard]] core::SessionFlags& Flags() { return flags_; }
  [[nodiscard]] bool Stopped() const { return stopped_; }

 private:
  // What the window's event loop would deliver while an exchange waits.
  void OnEvents();
  // Wraps the registered work of `code` once, so that its outcome is kept
  // in `outcomes_`; false when nobody carries out `code`.
  [[nodiscard]] bool Observe(int code);

  platform::StderrMessageBox box_;
  platform::PosixClock clock_;
  HeadlessPump pump_;
  platform::ProcProcessList processes_;
  platform::LibserialportEnumerator enumerator_;
  core::SessionFlags flags_;
  link::ModPipe pipe_;
  bool link_started_ = false;
  core::StartupState startup_;  // the start-up sequence runs as it is made
  link::EcuAccess ecu_;
  link::MessageTable table_;
  calib::CalibrationImage image_;
  calib::SystemDateProvider dates_;
  calib::CalibrationEnv calib_env_;
  session::CalibCalibrationService calibration_;
  session::SessionTexts texts_;
  HeadlessHost host_;
  session::Session session_;

  std::optional<SteadyClock::time_point> search_deadline_;
  std::optional<SteadyClock::time_point> close_at_;
  bool stopped_ = false;  // a stop signal or CloseAt asked for the close
  bool search_stopped_ = false;
  // The outcome of each observed request's last run, as its work reported it.
  std::map<int, std::optional<bool>> outcomes_;
};

}  // namespace velmora::cli
