#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "calib/calibration_image.h"
#include "calib/coefficient_file.h"
#include "core/config_scale.h"
#include "core/dictionary.h"
#include "core/paths.h"
#include "core/session_flags.h"
#include "link/message_table.h"
#include "pages/value_entry.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "session/request_codes.h"
#include "session/request_table.h"
#include "session/session.h"
#include "session/write_list.h"

namespace velmora::pages {

// What a page asks of the session: the single pending request code and the
// write lists. Pages never talk to the link.
class PageSession {
 public:
  virtual ~PageSession() = default;
  [[nodiscard]] virtual int PendingRequest() const = 0;
  [[nodiscard]] bool SlotFree() const { return PendingRequest() == session::request::kNone; }
  // First request wins: false while another one is pending.
  [[nodiscard]] virtual bool PostRequest(int code) = 0;
  [[nodiscard]] virtual bool PostFileRequest(int code, std::string path) = 0;
  // The file of the file request posted last (save, loads).
  [[nodiscard]] virtual std::string ChosenFile() const = 0;
  [[nodiscard]] virtual session::WriteLists& Lists() = 0;
  // The session state (searching, connected, disconnected...).
  [[nodiscard]] virtual int State() const = 0;
  [[nodiscard]] bool Connected() const { return core::IsConnectedState(State()); }
  // The poll marker a page sets for the live poll (read block 2, align the
  // OBD data's periodic transmission).
  virtual void SetPollMarker(int marker) = 0;
  // Page events 1 (blank-ECU check) and 2 (resume polling, read afresh).
  virtual void SetPageEvent(int event) = 0;
  // The exchanges of a page's own request work, run by the session while
  // that work runs: the write lists of `entries` in order, and a block
  // written whole with `command` then read back (its values go back to the
  // ECU's last answer on failure). False at the first failed exchange.
  [[nodiscard]] virtual bool ApplyLists(const std::vector<std::size_t>& entries) = 0;
  [[nodiscard]] virtual bool WriteEntry(std::size_t entry, std::uint8_t command) = 0;
  // The reference calibration chosen on the switch-over page (a file name
  // of the language folder without its extension; empty for none), which
  // the carburation reset and the auto-tuning load from.
  [[nodiscard]] virtual const std::string& ChosenCalibration() const = 0;
  virtual void SetChosenCalibration(std::string name) = 0;
  // How the injection sequence page last described the sequence (its mode,
  // then NORM. or ANTICIP.), which the switch-over page shows; empty until
  // that page has read the ECU's sequence.
  [[nodiscard]] virtual const std::string& SequenceCaption() const = 0;
  virtual void SetSequenceCaption(std::string caption) = 0;
  // The hardware generation of the ECU identified last; -1 before any.
  [[nodiscard]] virtual int Generation() const = 0;
  // The working pages on or off together (AbilitaDisabilitaForm).
  virtual void EnablePages(bool enable) = 0;
  // Clears `code` when it is the pending one: a page ending its own hold.
  virtual void ReleaseRequest(int code) = 0;
  // The link the request work a page registers runs on, always on the
  // session's tick; null where there is none (a model tested alone).
  [[nodiscard]] virtual link::EcuAccess* Ecu() { return nullptr; }
  // Runs `step` on the session's next tick in state 7, where no request is
  // served and nothing is polled for it (the auto-tuning).
  virtual void RunInStepState(std::function<void()> step) = 0;
};

// The running session as a page sees it.
class SessionPageSession final : public PageSession {
 public:
  explicit SessionPageSession(session::Session& session) : session_(session) {}
  [[nodiscard]] int PendingRequest() const override { return session_.PendingRequest(); }
  [[nodiscard]] bool PostRequest(int code) override { return session_.PostRequest(code); }
  [[nodiscard]] bool PostFileRequest(int code, std::string path) override {
    return session_.PostFileRequest(code, std::move(path));
  }
  [[nodiscard]] std::string ChosenFile() const override { return session_.ChosenFile(); }
  [[nodiscard]] session::WriteLists& Lists() override { return session_.Lists(); }
  [[nodiscard]] int State() const override { return session_.State(); }
  void SetPollMarker(int marker) override { session_.SetPollMarker(marker); }
  void SetPageEvent(int event) override { session_.SetPageEvent(event); }
  [[nodiscard]] bool ApplyLists(const std::vector<std::size_t>& entries) override {
    return session_.ApplyLists(entries);
  }
  [[nodiscard]] bool WriteEntry(std::size_t entry, std::uint8_t command) override {
    return session_.WriteEntry(entry, command);
  }
  [[nodiscard]] const std::string& ChosenCalibration() const override { return chosen_; }
  void SetChosenCalibration(std::string name) override { chosen_ = std::move(name); }
  [[nodiscard]] const std::string& SequenceCaption() const override { return sequence_; }
  void SetSequenceCaption(std::string caption) override { sequence_ = std::move(caption); }
  [[nodiscard]] int Generation() const override { return session_.Generation(); }
  void EnablePages(bool enable) override { session_.AbilitaDisabilitaForm(enable); }
  void ReleaseRequest(int code) override { session_.ReleaseRequest(code); }
  [[nodiscard]] link::EcuAccess* Ecu() override { return &session_.Ecu(); }
  void RunInStepState(std::function<void()> step) override {
    session_.SetPostOperationStep(std::move(step));
    session_.SetPostOperation();
  }

 private:
  session::Session& session_;
  std::string chosen_;
  std::string sequence_;
};

// A file dialog's question: open or save, its filter ("Map Files
// (*.tun)|*.tun"), the folder it starts in and its title.
struct FileChoice {
  bool save = false;
  std::string filter;
  std::string folder;
  std::string title;
};

// What a page asks of its window: the value entry dialog, the beep, the
// page switch and the file dialogs. Tests fake it.
class PageWindow {
 public:
  virtual ~PageWindow() = default;
  // Runs the value entry dialog with these limits and the option chosen
  // last preselected, while window events keep flowing; operation 0 when
  // it was cancelled.
  [[nodiscard]] virtual EnteredValue AskValue(const Limits& limits, int option) = 0;
  virtual void Beep(int hertz, int milliseconds) = 0;
  // The main window's page switch.
  virtual void SelezioneScheda(int page_code) = 0;
  // Another page shows its model again (RefreshPage with its code), as
  // after the session wrote what it shows.
  virtual void RefreshPage(int /*page_code*/) {}
  // A file dialog, modal while window events keep flowing; the chosen path,
  // empty when it was cancelled.
  [[nodiscard]] virtual std::string ChooseFile(const FileChoice& /*choice*/) { return {}; }
};

// What every page model works on, whatever its subsystem. Nothing here is
// owned; `coefficients` and `scale` may be null.
struct PageEnv {
  calib::CalibrationImage& image;
  link::MessageTable& table;
  PageSession& session;
  PageWindow& window;
  platform::MessageBox& box;
  platform::Clock& clock;
  const core::ClsLingue& lingue;
  const core::PathTable& paths;
  // Where a page registers the request codes it owns.
  session::RequestTable& requests;
  const calib::CoefficientList* coefficients = nullptr;
  std::string main_title;  // caption of the message boxes
  // The ECU model configuration: the sensor and probe records.
  const core::ConfigScale* scale = nullptr;
};

}  // namespace velmora::pages
