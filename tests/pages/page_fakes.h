#pragma once

// Doubles for what every page model talks to: a session that records the
// posted requests and keeps real write lists, a window with scripted value
// entry answers that records beeps and page switches, and a rig that owns
// one of everything a page environment names.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "calib/calibration_image.h"
#include "core/config_scale.h"
#include "core/dictionary.h"
#include "core/files.h"
#include "core/paths.h"
#include "core/session_flags.h"
#include "link/message_table.h"
#include "pages/page_services.h"
#include "platform/fake/fakes.h"
#include "session/request_codes.h"
#include "session/request_table.h"
#include "session/write_list.h"
#include "tests/core/temp_dir.h"

namespace velmora::pages::test {

class FakePageSession final : public PageSession {
 public:
  [[nodiscard]] int PendingRequest() const override { return pending; }
  [[nodiscard]] bool PostRequest(int code) override {
    if (pending != session::request::kNone || refuse) {
      return false;
    }
    pending = code;
    posted.push_back(code);
    return true;
  }
  [[nodiscard]] bool PostFileRequest(int code, std::string path) override {
    files.push_back(path);
    if (!PostRequest(code)) {
      return false;
    }
    chosen_file = std::move(path);
    return true;
  }
  [[nodiscard]] std::string ChosenFile() const override { return chosen_file; }
  [[nodiscard]] session::WriteLists& Lists() override { return lists; }
  [[nodiscard]] int State() const override { return state; }
  void SetPollMarker(int marker) override { poll_marker = marker; }
  void SetPageEvent(int event) override { page_event = event; }
  // Records the exchanges a page's own work asks for; `exchange_ok` is
  // their outcome.
  [[nodiscard]] bool ApplyLists(const std::vector<std::size_t>& entries) override {
    applied.insert(applied.end(), entries.begin(), entries.end());
    for (const std::size_t e : entries) {
      lists.Clear(e);
    }
    return exchange_ok;
  }
  [[nodiscard]] bool WriteEntry(std::size_t entry, std::uint8_t command) override {
    written.push_back({entry, command});
    return exchange_ok;
  }
  [[nodiscard]] const std::string& ChosenCalibration() const override { return chosen; }
  void SetChosenCalibration(std::string name) override { chosen = std::move(name); }
  [[nodiscard]] const std::string& SequenceCaption() const override { return sequence; }
  void SetSequenceCaption(std::string caption) override { sequence = std::move(caption); }
  [[nodiscard]] int Generation() const override { return generation; }
  void EnablePages(bool enable) override { pages_enabled = enable; }
  void ReleaseRequest(int code) override {
    if (pending == code) {
      pending = session::request::kNone;
    }
  }
  [[nodiscard]] link::EcuAccess* Ecu() override { return ecu; }
  // Kept for the test to run, as the session would on its next tick.
  void RunInStepState(std::function<void()> step) override { step_state = std::move(step); }
  // The session carried the request out.
  void Done() { pending = session::request::kNone; }

  int pending = session::request::kNone;
  bool refuse = false;  // as a session whose slot was taken in between
  int state = core::session_state::kConnected;
  int poll_marker = 0;
  int page_event = 0;
  int generation = 3;
  bool pages_enabled = true;
  std::vector<int> posted;
  std::vector<std::string> files;
  std::string chosen_file;  // the file of the last file request
  session::WriteLists lists;
  bool exchange_ok = true;
  std::vector<std::size_t> applied;
  std::vector<std::pair<std::size_t, std::uint8_t>> written;
  std::string chosen;    // the reference calibration chosen on the switch-over page
  std::string sequence;  // the sequence caption of the switch-over page
  link::EcuAccess* ecu = nullptr;
  std::function<void()> step_state;
};

struct Beep {
  int hertz;
  int ms;
};

// `Base` is PageWindow, or a subsystem's extension of it.
template <class Base = PageWindow>
class FakeWindow : public Base {
 public:
  [[nodiscard]] EnteredValue AskValue(const Limits& limits, int option) override {
    asked_limits.push_back(limits);
    asked_options.push_back(option);
    if (answers.empty()) {
      return {value_op::kCancelled, 0};
    }
    const EnteredValue r = answers.front();
    answers.pop_front();
    return r;
  }
  void Beep(int hertz, int ms) override { beeps.push_back({hertz, ms}); }
  void SelezioneScheda(int page_code) override { pages.push_back(page_code); }
  [[nodiscard]] std::string ChooseFile(const FileChoice& choice) override {
    file_choices.push_back(choice);
    if (chosen_files.empty()) {
      return {};
    }
    std::string path = chosen_files.front();
    chosen_files.pop_front();
    return path;
  }

  std::deque<EnteredValue> answers;
  std::vector<Limits> asked_limits;
  std::vector<int> asked_options;
  std::vector<struct Beep> beeps;
  std::vector<int> pages;
  std::deque<std::string> chosen_files;  // answers to ChooseFile; empty: cancelled
  std::vector<FileChoice> file_choices;
};
using FakePageWindow = FakeWindow<>;

// A one-language dictionary whose entries after the title are `body`
// (CR LF lines), loaded from a folder of its own.
struct TestDictionary {
  explicit TestDictionary(const std::string& body) {
    static_cast<void>(
        core::WriteFileAtomic(dir.File("diz.diz"), "###\r\n#English&0\r\nTitle\r\n" + body));
    static_cast<void>(core::WriteFileAtomic(dir.File("diz.con"), "0\r\n"));
    lingue.SetPathDizionario(dir.File("diz.diz"));
    lingue.SetPathAttualeLingua(dir.File("diz.con"));
    lingue.LoadDizionario();
  }
  velmora::test::TempDir dir;
  core::ClsLingue lingue;
};

// Everything a page model is made with, owned in one place. The message
// table has the 22 entries of the ECU, each with `fields` zero fields of
// one byte; the folders are those of a temporary installation root.
template <class Window = FakePageWindow>
struct PageRigT {
  explicit PageRigT(std::size_t fields = 96) : table(Table(fields)) {
    paths = core::FillPathTable(root.Path());
  }
  static link::MessageTable Table(std::size_t fields) {
    std::vector<core::MessageEntry> entries(22);
    for (auto& e : entries) {
      e.fields.assign(fields, core::FieldSpec{"UB", 0, 1});
    }
    return link::MessageTable(std::move(entries));
  }
  velmora::test::TempDir root;
  core::PathTable paths;
  calib::CalibrationImage image;
  link::MessageTable table;
  FakePageSession session;
  Window window;
  platform::FakeMessageBox box;
  platform::FakeClock clock;
  TestDictionary dictionary{""};
  session::RequestTable requests;
  core::ConfigScale scale;
  PageEnv env{image, table,    session, window,    box,   clock, dictionary.lingue,
              paths, requests, nullptr, "Velmora", &scale};
};
using PageRig = PageRigT<>;

}  // namespace velmora::pages::test
