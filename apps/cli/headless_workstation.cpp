#include "apps/cli/headless_workstation.h"

#include <cstdio>
#include <utility>

#include "apps/cli/stop_signal.h"
#include "calib/sensor_tables.h"
#include "link/link_startup.h"
#include "platform/sys_io.h"
#include "session/startup_settings.h"

namespace velmora::cli {

namespace st = core::session_state;

namespace {

constexpr std::chrono::milliseconds kTimer1Interval{session::session_timing::kTimer1IntervalMs};
constexpr std::chrono::milliseconds kTimer2Interval{session::session_timing::kTimer2IntervalMs};
// The full read after the search has its own time-outs; this only bounds a
// link that keeps answering without end.
constexpr std::chrono::minutes kReadLimit{10};

void Err(const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
}

// The start-up steps that belong to the link; the window and the language
// choice have nobody to show them to.
class CliStartupHost final : public core::StartupHost {
 public:
  CliStartupHost(core::StartupState& state, link::ModPipe& pipe, platform::ProcessList& processes,
                 std::string client_name)
      : state_(state), pipe_(pipe), processes_(processes), client_name_(std::move(client_name)) {}

  void KillStaleLink() override { link::KillStaleLink(pipe_); }
  void StartLink() override { ok_ = link::StartLink(pipe_); }
  void SendClientName() override {
    if (ok_) {
      ok_ = link::SendClientName(pipe_, processes_, client_name_, PipeWait()) == link::kOk;
    }
  }
  void SendLinkInit() override {
    if (ok_) {
      ok_ = link::SendLinkInit(pipe_, PipeWait()) == link::kOk;
    }
  }
  [[nodiscard]] bool Ok() const { return ok_; }

 private:
  [[nodiscard]] std::int64_t PipeWait() const {
    return link::TimesFromSetCom(state_.set_com).pipe_us;
  }

  core::StartupState& state_;
  link::ModPipe& pipe_;
  platform::ProcessList& processes_;
  std::string client_name_;
  bool ok_ = false;
};

core::StartupState RunHeadlessStartup(link::ModPipe& pipe, platform::ProcessList& processes,
                                      const std::string& root, const std::string& client_name,
                                      bool& link_started) {
  core::StartupState state;
  CliStartupHost host(state, pipe, processes, client_name);
  core::RunStartup(state, host, root + core::kSep + "bin");
  link_started = host.Ok();
  return state;
}

}  // namespace

HeadlessWorkstation::HeadlessWorkstation(const std::string& root, const std::string& client_name)
    : pipe_(link::PipeServices{box_, clock_, pump_, processes_, platform::PosixSysIo(), flags_},
            link::LinkLocationFor(core::FillPathTable(root))),
      startup_(RunHeadlessStartup(pipe_, processes_, root, client_name, link_started_)),
      ecu_(pipe_, link::TimesFromSetCom(startup_.set_com)),
      table_(startup_.set_com.messages,
             [](std::string_view w) { Err("SetCom.ini: " + std::string(w)); }),
      calib_env_{table_, image_, box_, dates_, calib::TextsFromDictionary(startup_.lingue)},
      calibration_(calib_env_, ecu_, startup_.paths.lng, startup_.paths.default_calibration),
      texts_(session::SessionTextsFrom(startup_.lingue)),
      host_(texts_),
      session_(
          session::SessionEnv{ecu_, table_, flags_, pump_, enumerator_, box_, host_, calibration_},
          session::SettingsFromStartup(startup_)) {
  const calib::SmoothingWeights weights =
      calib::ReadSensorTables(startup_.config_scale_lines).weights;
  table_.SetSmoothingWeights(weights.k_lambda, weights.k_pressure);
  pump_.hook = [this] { OnEvents(); };
  // The window closing itself comes back as the close from code.
  host_.on_unload = [this] { (void)session_.QueryUnload(session::UnloadMode::kFromCode); };
}

HeadlessWorkstation::~HeadlessWorkstation() {
  if (!session_.Closed()) {
    (void)Close();
  }
  pump_.hook = nullptr;
  pipe_.Detach();
}

void HeadlessWorkstation::Start() {
  session_.Start();
}

void HeadlessWorkstation::OnEvents() {
  const auto now = SteadyClock::now();
  const bool stop_signal = StopRequested();
  if ((stop_signal && !stopped_) || (close_at_ && now >= *close_at_)) {
    stopped_ = true;
    close_at_.reset();
    if (!flags_.exit_request) {
      (void)session_.QueryUnload(session::UnloadMode::kControlMenu);
    }
  }
  // The stop button of the search window, while the search runs; once the
  // identified ECU is being read the read is let finish.
  if (search_deadline_ && now >= *search_deadline_ && flags_.state == st::kSearching &&
      !host_.Reading()) {
    search_deadline_.reset();
    search_stopped_ = true;
    flags_.timeout = true;
  }
}

bool HeadlessWorkstation::RunUntil(const std::function<bool()>& done,
                                   SteadyClock::time_point deadline) {
  auto next1 = SteadyClock::now();
  auto next2 = next1;
  for (;;) {
    OnEvents();
    if (done()) {
      return true;
    }
    auto now = SteadyClock::now();
    if (session_.Closed() || now >= deadline) {
      return false;
    }
    if (now >= next1) {
      next1 = now + kTimer1Interval;
      session_.Timer1_Timer();
    }
    if (now >= next2 && host_.Timer2Enabled()) {
      next2 = now + kTimer2Interval;
      session_.Timer2_Timer();
    }
    now = SteadyClock::now();
    auto wake = std::min(next1, deadline);
    if (host_.Timer2Enabled()) {
      wake = std::min(wake, next2);
    }
    if (wake > now) {
      const auto us = std::chrono::duration_cast<std::chrono::microseconds>(wake - now).count();
      (void)pump_.WaitReadable(-1, us);
    }
  }
}

bool HeadlessWorkstation::WaitConnected(SteadyClock::time_point search_deadline) {
  search_deadline_ = search_deadline;
  search_stopped_ = false;
  const bool connected = RunUntil(
      [this] {
        return (flags_.state == st::kConnected && !flags_.ecu_lost) || flags_.exit_request ||
               flags_.state == st::kDisconnected;
      },
      search_deadline + kReadLimit);
  search_deadline_.reset();
  if (connected && flags_.state == st::kConnected) {
    if (host_.ReadFailed()) {
      Err("reading the ECU's data failed part way; what was read is kept");
    }
    return true;
  }
  if (stopped_) {
    Err("stopped before the ECU was connected");
  } else if (search_stopped_) {
    Err("no ECU was found in time");
  } else if (flags_.exit_request) {
    Err("the link server stopped answering");
  } else {
    Err("the ECU was not connected");
  }
  return false;
}

bool HeadlessWorkstation::Close(std::chrono::milliseconds limit) {
  if (!session_.Closed()) {
    if (flags_.state == st::kBlankEcu) {
      // The window refuses to close over a blank ECU; the program ends
      // anyway, as when the system ends it.
      (void)session_.QueryUnload(session::UnloadMode::kSystem);
    } else if (!flags_.exit_request) {
      (void)session_.QueryUnload(session::UnloadMode::kControlMenu);
    }
  }
  const bool closed = RunUntil([this] { return session_.Closed(); }, SteadyClock::now() + limit);
  if (!closed) {
    Err("the session did not close in time; ending the link server");
    (void)session_.QueryUnload(session::UnloadMode::kSystem);
  }
  pipe_.Detach();
  return closed;
}

bool HeadlessWorkstation::Observe(int code) {
  if (outcomes_.count(code) != 0) {
    return true;
  }
  const session::RequestWork* work = session_.Requests().Find(code);
  if (work == nullptr || !work->run) {
    return false;
  }
  session::RequestWork observed = *work;
  observed.run = [this, code, inner = work->run] {
    const bool ok = inner();
    outcomes_[code] = ok;
    return ok;
  };
  session_.Requests().Register(code, std::move(observed));
  outcomes_[code] = std::nullopt;
  return true;
}

HeadlessWorkstation::RequestEnd HeadlessWorkstation::RunRequest(int code, const std::string& file,
                                                                std::chrono::seconds limit) {
  if (!Observe(code)) {
    Err("request " + std::to_string(code) + " is not one the session carries out");
    return RequestEnd::kNotRun;
  }
  std::optional<bool>& outcome = outcomes_[code];
  outcome.reset();
  const int refusals = host_.Refusals();
  const bool posted =
      file.empty() ? session_.PostRequest(code) : session_.PostFileRequest(code, file);
  if (!posted) {
    Err("another request is pending");
    return RequestEnd::kNotRun;
  }
  const bool finished =
      RunUntil([&] { return outcome.has_value() || session_.PendingRequest() != code; },
               SteadyClock::now() + limit);
  if (!finished) {
    Err("request " + std::to_string(code) + " did not finish in " + std::to_string(limit.count()) +
        " s");
    return RequestEnd::kNotRun;
  }
  if (!outcome) {
    Err("request " + std::to_string(code) +
        (host_.Refusals() != refusals
             ? " was refused: the ECU's data were not read completely, so none of them is written"
             : " was dropped: the connection to the ECU changed before it ran"));
    return RequestEnd::kNotRun;
  }
  return *outcome ? RequestEnd::kSucceeded : RequestEnd::kFailed;
}

}  // namespace velmora::cli
