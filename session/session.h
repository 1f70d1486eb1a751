#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "core/session_flags.h"
#include "core/set_com.h"
#include "link/ecu_access.h"
#include "link/message_table.h"
#include "link/serial_access.h"
#include "platform/event_pump.h"
#include "platform/message_box.h"
#include "platform/serial_enumerator.h"
#include "session/calibration_service.h"
#include "session/request_codes.h"
#include "session/request_table.h"
#include "session/session_host.h"
#include "session/session_texts.h"
#include "session/write_list.h"

namespace velmora::session {

// Fixed places the session reads.
namespace session_entry {
inline constexpr std::size_t kIdentity = 0;
inline constexpr std::size_t kLive = 1;
inline constexpr std::size_t kBlock2 = 2;
inline constexpr std::size_t kConnection = 5;
inline constexpr std::size_t kMemoryTrace = 21;
inline constexpr std::size_t kBlankCheckLast = 3;  // entries 0..3 are compared
inline constexpr std::size_t kTraceField = 45;     // of the live record
inline constexpr std::int32_t kTraceBit = 128;
inline constexpr std::size_t kParameterRecordSize = 16;
}  // namespace session_entry

// Values of the poll marker that pages set.
namespace poll_marker {
inline constexpr int kNone = 0;
inline constexpr int kAlignObdPeriodic = 3;  // kept until a page changes it
inline constexpr int kReadBlock2 = 6;        // once, then cleared
}  // namespace poll_marker

namespace page_event {
inline constexpr int kNone = 0;
inline constexpr int kBlankCheck = 1;
inline constexpr int kResume = 2;
}  // namespace page_event

namespace session_timing {
inline constexpr std::int64_t kTimer1IntervalMs = 50;
inline constexpr std::int64_t kTimer2IntervalMs = 100;
inline constexpr std::int64_t kNoticeUs = 250'000;
}  // namespace session_timing

// The services the session runs on; none is owned.
struct SessionEnv {
  link::EcuAccess& ecu;  // its channel raises `flags`
  link::MessageTable& table;
  core::SessionFlags& flags;
  platform::EventPump& pump;
  platform::SerialEnumerator& enumerator;
  platform::MessageBox& box;
  SessionHost& host;
  CalibrationService& calibration;
};

struct SessionSettings {
  core::SetComConfig set_com;  // the firmware lists
  SessionTexts texts;
  std::string main_title;
  std::string port_com_file;
  std::string registry_file;
  std::string default_calibration;  // loaded offline when no ECU was ever found
  std::string firmware_address;
  std::array<Bytes, 4> reference_answers;  // what an ECU without data answers
  bool startup_mark = true;                // no ECU connected since start-up
};

// The connection session: the shared session variables and the two timer
// procedures that run the connect-and-identify sequence, the live poll, the
// requested ECU work and the exit. The window calls Timer1_Timer every 50 ms
// and Timer2_Timer every 100 ms; both may be re-entered while an exchange
// waits (the channel keeps events flowing) and return at once then.
class Session {
 public:
  Session(SessionEnv env, SessionSettings settings);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // The window has loaded: the first Timer1 tick starts the connection.
  void Start() { env_.flags.ecu_lost = true; }
  // A new language was chosen: later titles, captions and messages use it.
  void SetTexts(SessionTexts texts) { settings_.texts = std::move(texts); }

  void Timer1_Timer();
  void Timer2_Timer();

  // Asks for ECU work. First request wins: false, with nothing changed,
  // while another request is pending.
  [[nodiscard]] bool PostRequest(int code);
  // A request that works on a file (save, the four loads).
  [[nodiscard]] bool PostFileRequest(int code, std::string path);
  // Clears `code` when it is the pending one (a page ending its own hold).
  void ReleaseRequest(int code);
  [[nodiscard]] int PendingRequest() const { return pending_; }
  [[nodiscard]] const std::string& ChosenFile() const { return chosen_file_; }

  // The registration point for the request codes the pages own.
  [[nodiscard]] RequestTable& Requests() { return requests_; }
  [[nodiscard]] WriteLists& Lists() { return lists_; }
  // The link the registered request work runs on, on the session's tick.
  [[nodiscard]] link::EcuAccess& Ecu() { return env_.ecu; }

  // The exchanges the work of a page's own request code is made of; they
  // run on Timer1 while that work runs. The write lists of `entries`, in
  // order; the first failure ends it.
  [[nodiscard]] bool ApplyLists(const std::vector<std::size_t>& entries);
  // A block written whole: the entry's values sent with `command`, then the
  // entry read back (WriteWholeEntry).
  [[nodiscard]] bool WriteEntry(std::size_t entry, std::uint8_t command);

  void SetPageEvent(int event) { page_event_ = event; }
  void SetPostOperation() { post_operation_ = true; }
  // The step state 7 runs (auto-tuning).
  void SetPostOperationStep(std::function<void()> step) { post_step_ = std::move(step); }
  void SetPollMarker(int marker) { poll_marker_ = marker; }
  [[nodiscard]] int PollMarker() const { return poll_marker_; }
  // The memory trace runs while both window options are set.
  void SetMemoryTrace(bool option_a, bool option_b) { trace_on_ = option_a && option_b; }
  // The page in front (SelezioneScheda), refreshed after write-list requests.
  void SetShownPage(int page) { shown_page_ = page; }
  void QueueNotice(std::string text) { notices_.push_back(std::move(text)); }

  // MDIForm_QueryUnload: true cancels the unload.
  [[nodiscard]] bool QueryUnload(UnloadMode mode);
  // Enables or disables the working pages; nothing while the program closes.
  void AbilitaDisabilitaForm(bool enable);

  [[nodiscard]] int State() const { return env_.flags.state; }
  [[nodiscard]] const core::SessionFlags& Flags() const { return env_.flags; }
  // The connection indicator's picture (0..4 searching, 5 off, 6 on).
  [[nodiscard]] int IndicatorPicture() const { return picture_; }
  [[nodiscard]] std::optional<int> RememberedPort() const { return remembered_port_; }
  [[nodiscard]] int ConnectedPort() const { return connected_port_; }
  [[nodiscard]] int Generation() const { return generation_; }
  [[nodiscard]] const EcuCapabilities& Capabilities() const { return capabilities_; }
  [[nodiscard]] bool StartupMark() const { return startup_mark_; }
  // Successful reads of the live record since construction.
  [[nodiscard]] std::int64_t PollCount() const { return polls_; }
  [[nodiscard]] bool Closed() const { return closed_; }

 private:
  void SetState(int state);
  void Reconnect();
  void FinishConnection(int port, int generation);
  void Disconnect();
  void BlankCheck();
  void RunRequest();
  void RunOffline();
  void LivePoll();
  void AggiornaIconaConnessione();
  // Work posted against the ECU that is going away.
  void DropEcuBoundWork();
  // Tells whoever posted it that `work` will not run.
  static void Dropped(const RequestWork* work);
  void Fail(const RequestWork& work);
  void ShowFailure(const std::string& text);
  // A work that writes image data while the image is not a complete read.
  void Refuse(int code, const RequestWork& work);
  void ClearLists(const RequestWork& work);
  // The full read into the image; its outcome decides whether image data
  // may be written.
  bool ReadImage();

  void RegisterBuiltins();
  void RegisterListRequests();
  void RegisterRecordRequests();
  void RegisterFileTransfers();
  void RegisterSlowCommands();
  [[nodiscard]] RequestWork ListWork(std::vector<std::size_t> entries);
  [[nodiscard]] bool WriteParameterRecord();
  [[nodiscard]] bool SlowCommand(std::uint8_t command, std::vector<std::uint8_t> data);
  void RegisterMapWrites();
  [[nodiscard]] bool WriteAxesAndReconnect();

  SessionEnv env_;
  SessionSettings settings_;
  RequestTable requests_;
  WriteLists lists_;

  int pending_ = request::kNone;
  int chained_ = request::kNone;  // posted by the running request, for after it
  std::string chosen_file_;
  int page_event_ = page_event::kNone;
  bool post_operation_ = false;
  std::function<void()> post_step_;
  int poll_marker_ = poll_marker::kNone;
  bool trace_on_ = false;
  Bytes trace_answer_;
  int shown_page_ = 0;
  std::deque<std::string> notices_;
  link::SerialAccessNotice access_notice_;

  bool busy1_ = false;
  bool busy2_ = false;
  std::optional<int> remembered_port_;
  bool startup_mark_ = true;
  int connected_port_ = -1;
  int generation_ = -1;
  EcuCapabilities capabilities_;
  // The image holds a complete read of the connected ECU: after a read that
  // failed part way it holds blocks of another ECU, of the offline file or
  // from before a load, and writing its maps would put those into this ECU.
  bool image_read_ = false;
  std::int64_t polls_ = 0;

  int divider_ = 0;
  int animation_ = 0;
  int picture_ = indicator::kDisconnected;
  bool link_timed_out_ = false;
  bool closed_ = false;
};

}  // namespace velmora::session
