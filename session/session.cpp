#include "session/session.h"

#include <algorithm>
#include <utility>

#include "core/busy_flag.h"
#include "link/link_startup.h"
#include "link/port_com.h"
#include "session/connect_sequence.h"

namespace velmora::session {

namespace st = core::session_state;

namespace {

bool RefreshedAfterWrite(int page) {
  return page == page_id::kObd || page == page_id::kLambda || page == page_id::kManagement ||
         page == page_id::kMainMenu || page == page_id::kInjectionSequence;
}

}  // namespace

Session::Session(SessionEnv env, SessionSettings settings)
    : env_(env), settings_(std::move(settings)), startup_mark_(settings_.startup_mark) {
  RegisterBuiltins();
}

bool Session::PostRequest(int code) {
  if (pending_ != request::kNone || code == request::kNone) {
    return false;
  }
  pending_ = code;
  return true;
}

bool Session::PostFileRequest(int code, std::string path) {
  if (!PostRequest(code)) {
    return false;
  }
  chosen_file_ = std::move(path);
  return true;
}

void Session::ReleaseRequest(int code) {
  if (pending_ == code) {
    pending_ = request::kNone;
  }
}

void Session::SetState(int state) {
  const int old = env_.flags.state;
  env_.flags.state = state;
  if (old != state) {
    env_.host.StateChanged(old, state);
  }
}

void Session::AbilitaDisabilitaForm(bool enable) {
  if (env_.flags.exit_request) {
    return;
  }
  env_.host.EnablePages(enable);
}

void Session::Fail(const RequestWork& work) {
  ShowFailure(work.session_text != nullptr ? settings_.texts.*work.session_text
                                           : work.failure_text);
}

void Session::ShowFailure(const std::string& text) {
  if (!text.empty()) {
    env_.box.Show(text, settings_.texts.caption, platform::BoxKind::Critical);
  }
}

void Session::Refuse(int code, const RequestWork& work) {
  pending_ = request::kNone;
  ClearLists(work);
  // Whoever posted it gets back what it waits for (a map page its buttons),
  // then is told why.
  Dropped(&work);
  env_.host.RequestRefused(code);
  ShowFailure(settings_.texts.image_not_read);
}

void Session::ClearLists(const RequestWork& work) {
  for (const std::size_t entry : work.lists) {
    lists_.Clear(entry);
  }
}

bool Session::ReadImage() {
  image_read_ = env_.calibration.ReadAll();
  return image_read_;
}

void Session::Timer1_Timer() {
  if (busy1_) {
    return;
  }
  core::BusyFlag busy(busy1_);
  core::SessionFlags& flags = env_.flags;

  if (flags.ecu_lost) {
    // The sequence may run for long; whatever it ended on is looked at on
    // the next tick, so that a close asked for meanwhile happens then.
    Reconnect();
    return;
  }
  if (flags.timeout) {
    Disconnect();
  }
  if (post_operation_) {
    post_operation_ = false;
    SetState(st::kPostOperation);
  }
  if (page_event_ == page_event::kBlankCheck) {
    page_event_ = page_event::kNone;
    BlankCheck();
  } else if (page_event_ == page_event::kResume) {
    page_event_ = page_event::kNone;
    flags.ecu_lost = true;
    AbilitaDisabilitaForm(true);
    env_.host.EnableTimer2(true);
  }
  if (flags.exit_request) {
    if (flags.state != st::kClosing) {
      SetState(st::kClosing);
      env_.host.Unload();
    }
    return;
  }
  switch (flags.state) {
    case st::kConnected:
      if (pending_ != request::kNone && pending_ != request::kFileDialogHold) {
        RunRequest();
      } else {
        LivePoll();
      }
      break;
    case st::kPostOperation:
      if (post_step_) {
        post_step_();
      }
      if (flags.state == st::kPostOperation) {
        SetState(st::kConnected);
      }
      break;
    case st::kDisconnected:
      RunOffline();
      break;
    default:
      break;
  }
}

void Session::Reconnect() {
  core::SessionFlags& flags = env_.flags;
  flags.ecu_lost = false;
  env_.host.ShowTitle(settings_.texts.not_connected);
  DropEcuBoundWork();
  SetState(st::kSearching);
  connected_port_ = -1;

  ConnectEnv connect{env_.ecu,
                     env_.table,
                     flags,
                     env_.enumerator,
                     env_.box,
                     env_.host,
                     settings_.set_com,
                     settings_.texts,
                     settings_.port_com_file,
                     settings_.registry_file,
                     std::nullopt,
                     &access_notice_};
  const auto outcome = ConnectAndIdentify(connect);
  remembered_port_ = connect.remembered;
  if (outcome) {
    FinishConnection(outcome->port, outcome->match.generation);
  }
  env_.host.RefreshObdPage();
  env_.host.ShowTitle(settings_.main_title);
  if (!flags.timeout && !flags.exit_request) {
    env_.host.CheckFirmware(settings_.firmware_address,
                            env_.table.LastAnswer(session_entry::kIdentity));
  }
}

void Session::FinishConnection(int port, int generation) {
  generation_ = generation;
  capabilities_ = CapabilitiesOf(generation);
  env_.calibration.SetEcu(generation, capabilities_);
  env_.host.ShowCaption(settings_.texts.reading);
  const bool read = ReadImage();
  if (!capabilities_.direct_injection || !capabilities_.obd_errors) {
    env_.calibration.ApplyDefaultBlockImages(capabilities_);
  }
  if (env_.flags.timeout || env_.flags.exit_request) {
    return;  // the next tick disconnects or closes
  }
  // Also after a read that failed part way: the pages show what the image
  // holds now.
  env_.host.CalibrationRead();
  if (!read) {
    env_.host.ShowCaption(settings_.texts.read_failed);
  }
  (void)link::WriteRememberedPort(settings_.port_com_file, port);
  connected_port_ = port;
  env_.host.ShowCaption(settings_.texts.connected);
  SetState(st::kConnected);
  startup_mark_ = false;
  env_.host.ReloadSwitchOverLists();
}

void Session::Disconnect() {
  core::SessionFlags& flags = env_.flags;
  // A time-out raises both flags: the link did not answer, so it is not
  // asked anything more on the way out.
  link_timed_out_ = flags.exit_request;
  flags.timeout = false;
  SetState(st::kDisconnected);
  connected_port_ = -1;
  if (!link_timed_out_) {
    (void)link::SetLongOperationParameter(env_.ecu);
  }
  env_.host.ShowTitle(settings_.texts.link_lost);
  env_.host.ShowDisconnected();
  DropEcuBoundWork();
  if (startup_mark_) {
    startup_mark_ = false;
    (void)PostFileRequest(request::kLoadAll, settings_.default_calibration);
  }
}

void Session::DropEcuBoundWork() {
  lists_.ClearAll();
  if (pending_ == request::kNone || pending_ == request::kFileDialogHold) {
    return;
  }
  const RequestWork* work = requests_.Find(pending_);
  if (work == nullptr || !work->file_based) {
    pending_ = request::kNone;
    Dropped(work);
  }
}

void Session::Dropped(const RequestWork* work) {
  if (work != nullptr && work->dropped) {
    work->dropped();
  }
}

void Session::BlankCheck() {
  const auto& refs = settings_.reference_answers;
  bool blank = false;
  for (std::size_t entry = 0; entry <= session_entry::kBlankCheckLast && !blank; ++entry) {
    const Bytes& answer = env_.table.LastAnswer(entry);
    blank = !answer.empty() && std::find(refs.begin(), refs.end(), answer) != refs.end();
  }
  if (!blank) {
    return;
  }
  SetState(st::kBlankEcu);
  AbilitaDisabilitaForm(false);
  env_.host.EnableTimer2(false);
  env_.host.ShowTitle(settings_.texts.blank_ecu);
  env_.host.ShowCaption(settings_.texts.blank_ecu_hint);
}

void Session::RunRequest() {
  const int code = pending_;
  const RequestWork* work = requests_.Find(code);
  if (work == nullptr || !work->run) {
    // Nobody does this: never left blocking the others, and the records a
    // page may have listed for it are not applied by a later request.
    pending_ = request::kNone;
    lists_.ClearAll();
    return;
  }
  if (work->writes_image && !image_read_) {
    Refuse(code, *work);
    return;
  }
  SetState(st::kOperation);
  env_.host.SetBusyPointer(true);
  const bool ok = work->run();
  ClearLists(*work);
  if (pending_ == code) {
    pending_ = chained_;
  }
  chained_ = request::kNone;
  if (!ok) {
    Fail(*work);
  }
  if (work->refresh_page && RefreshedAfterWrite(shown_page_)) {
    env_.host.RefreshPage(shown_page_);
  }
  env_.host.SetBusyPointer(false);
  if (env_.flags.state == st::kOperation) {
    SetState(st::kConnected);
  }
}

void Session::RunOffline() {
  const int code = pending_;
  if (code == request::kNone || code == request::kFileDialogHold) {
    return;
  }
  const RequestWork* work = requests_.Find(code);
  // What needs the ECU cannot wait for it here: the session may stay
  // disconnected for good, and every later request would queue behind it.
  pending_ = request::kNone;
  if (work == nullptr || !work->offline) {
    lists_.ClearAll();
    Dropped(work);
    return;
  }
  if (!work->offline()) {
    Fail(*work);
  }
}

void Session::LivePoll() {
  link::MessageTable& table = env_.table;
  if (table.LeggiVoce(env_.ecu, session_entry::kLive) == link::kOk) {
    ++polls_;
  }
  const Bytes& live = table.LastAnswer(session_entry::kLive);
  if (trace_on_ && live != trace_answer_ &&
      (table.Value(session_entry::kLive, session_entry::kTraceField) & session_entry::kTraceBit) !=
          0) {
    trace_answer_ = live;
    if (table.LeggiVoce(env_.ecu, session_entry::kMemoryTrace) == link::kOk) {
      env_.host.LoggaMEM10(table.LastAnswer(session_entry::kMemoryTrace));
    }
  }
  if (poll_marker_ == poll_marker::kReadBlock2) {
    poll_marker_ = poll_marker::kNone;
    (void)table.LeggiVoce(env_.ecu, session_entry::kBlock2);
  }
  if (poll_marker_ == poll_marker::kAlignObdPeriodic) {
    (void)table.AlignObdPeriodic(env_.ecu);
  }
}

void Session::Timer2_Timer() {
  if (busy2_ || env_.flags.exit_request) {
    return;
  }
  core::BusyFlag busy(busy2_);
  env_.pump.Pump();
  if (!notices_.empty()) {
    const std::string notice = std::move(notices_.front());
    notices_.pop_front();
    env_.host.ShowNotice(notice);
    env_.ecu.Pipe().Attendi(session_timing::kNoticeUs);
  }
  AggiornaIconaConnessione();
  env_.host.RefreshLiveViews();
}

void Session::AggiornaIconaConnessione() {
  if (env_.flags.exit_request) {
    return;
  }
  if (++divider_ < indicator::kTicksPerChange) {
    return;
  }
  divider_ = 0;
  const int state = env_.flags.state;
  if (state == st::kSearching) {
    picture_ = animation_;
    animation_ = (animation_ + 1) % indicator::kAnimationFrames;
  } else if (state == st::kDisconnected || state == st::kDisconnectedAlt) {
    picture_ = indicator::kDisconnected;
  } else {
    picture_ = indicator::kConnected;
  }
  env_.host.ShowConnectionIndicator(picture_);
}

bool Session::QueryUnload(UnloadMode mode) {
  if (env_.flags.state == st::kBlankEcu && mode != UnloadMode::kSystem) {
    return true;
  }
  if (mode == UnloadMode::kControlMenu) {
    // The next Timer1 tick closes the window, after any exchange in
    // progress has finished.
    env_.flags.exit_request = true;
    env_.host.EnableTimer2(false);
    return true;
  }
  if (!closed_) {
    closed_ = true;
    if (!link_timed_out_) {
      (void)link::ShutdownLink(env_.ecu.Pipe(), env_.ecu.Times().pipe_us);
    }
    env_.host.CloseOtherWindows();
  }
  return false;
}

}  // namespace velmora::session
