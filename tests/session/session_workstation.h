#pragma once

// The session as the window wires it, against a real LinkSrv and the virtual
// ECU: the production calibration service on a real image, a host that
// records what the window would show, and both timers driven by the clock
// with polls between ticks.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "calib/calibration_env.h"
#include "calib/calibration_image.h"
#include "core/files.h"
#include "core/paths.h"
#include "core/set_com.h"
#include "link/link_startup.h"
#include "link/port_registry.h"
#include "platform/fake/fake_serial_enumerator.h"
#include "platform/fake/fakes.h"
#include "platform/posix/poll_event_pump.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/proc_process_list.h"
#include "session/calib_calibration_service.h"
#include "session/session.h"

namespace velmora::session::testing {

using Clock = std::chrono::steady_clock;

// The pump of a headless window, with a hook for what the user does while
// an exchange waits.
class HookedPump final : public platform::EventPump {
 public:
  void Pump() override { Hook(); }
  bool WaitReadable(int fd, std::int64_t max_micros) override {
    Hook();
    return inner_.WaitReadable(fd, max_micros);
  }
  std::function<void()> hook;

 private:
  void Hook() {
    if (hook) {
      hook();
    }
  }
  platform::PollEventPump inner_;
};

class Host final : public SessionHost {
 public:
  void ShowTitle(std::string_view text) override { titles.emplace_back(text); }
  void ShowCaption(std::string_view text) override { captions.emplace_back(text); }
  void StateChanged(int, int to) override { states.push_back(to); }
  void MapWritten(int map, bool ok) override { maps_written.emplace_back(map, ok); }
  void CalibrationRead() override { ++calibration_reads; }
  void Unload() override {
    if (on_unload) {
      on_unload();
    }
  }
  std::vector<std::string> titles;
  std::vector<std::string> captions;
  std::vector<int> states;
  std::vector<std::pair<int, bool>> maps_written;
  int calibration_reads = 0;
  std::function<void()> on_unload;
};

class FixedDate final : public calib::DateProvider {
 public:
  calib::CalendarDate Today() override { return {2026, 12, 6}; }
};

struct Workstation {
  explicit Workstation(const std::string& root)
      : paths(core::FillPathTable(root)),
        set_com(ReadSetCom(paths.set_com)),
        pipe(link::PipeServices{box, clock, pump, processes, platform::PosixSysIo(), flags},
             link::LinkLocationFor(paths)),
        ecu(pipe, link::TimesFromSetCom(set_com)),
        table(set_com.messages),
        env{table, image, box, dates, {}},
        calibration(env, ecu, paths.lng, paths.default_calibration) {
    SessionSettings settings;
    settings.set_com = set_com;
    settings.main_title = "Velmora";
    settings.port_com_file = paths.port_com;
    settings.registry_file = link::PortRegistryPath(paths.bin);
    settings.default_calibration = paths.default_calibration;
    session.emplace(SessionEnv{ecu, table, flags, pump, enumerator, box, host, calibration},
                    std::move(settings));
  }

  static core::SetComConfig ReadSetCom(const std::string& path) {
    std::vector<std::string> lines;
    (void)core::LeggiRighe(path, lines);
    return core::LeggiSetCom(lines);
  }

  bool Start() {
    if (!link::StartLink(pipe)) {
      return false;
    }
    const std::int64_t t = ecu.Times().pipe_us;
    return link::SendClientName(pipe, processes, "session_e2e_test", t) == link::kOk &&
           link::SendLinkInit(pipe, t) == link::kOk;
  }

  // Runs both timers at their intervals until `done` or `seconds` have
  // passed; the waits between ticks are polls, as in the window's loop.
  bool RunUntil(const std::function<bool()>& done, double seconds) {
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    auto next1 = Clock::now();
    auto next2 = Clock::now();
    while (Clock::now() < end) {
      if (done()) {
        return true;
      }
      const auto now = Clock::now();
      if (now >= next1) {
        next1 = now + std::chrono::milliseconds(session_timing::kTimer1IntervalMs);
        session->Timer1_Timer();
      }
      if (now >= next2) {
        next2 = now + std::chrono::milliseconds(session_timing::kTimer2IntervalMs);
        session->Timer2_Timer();
      }
      const auto wait = std::min(next1, next2) - Clock::now();
      const auto us = std::chrono::duration_cast<std::chrono::microseconds>(wait).count();
      if (us > 0) {
        (void)pump.WaitReadable(-1, us);
      }
    }
    return done();
  }

  platform::FakeMessageBox box;
  platform::PosixClock clock;
  HookedPump pump;
  platform::ProcProcessList processes;
  platform::FakeSerialEnumerator enumerator;  // no hardware: the registry's ports only
  core::SessionFlags flags;
  core::PathTable paths;
  core::SetComConfig set_com;
  link::ModPipe pipe;
  link::EcuAccess ecu;
  link::MessageTable table;
  calib::CalibrationImage image;
  FixedDate dates;
  calib::CalibrationEnv env;
  CalibCalibrationService calibration;
  Host host;
  std::optional<Session> session;
};

}  // namespace velmora::session::testing
