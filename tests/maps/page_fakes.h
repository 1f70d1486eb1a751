#pragma once

// Doubles for what a map page talks to: a session that records the posted
// requests and keeps real write lists, and a window with scripted value
// entry answers that records beeps, page switches and axis editor openings.

#include <deque>
#include <string>
#include <vector>

#include "calib/axis_vectors.h"
#include "calib/calibration_image.h"
#include "core/dictionary.h"
#include "core/files.h"
#include "link/message_table.h"
#include "maps/map_page_env.h"
#include "platform/fake/fakes.h"
#include "session/request_codes.h"
#include "session/write_list.h"
#include "tests/core/temp_dir.h"

namespace velmora::maps::test {

class FakePageSession final : public pages::PageSession {
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
    files.push_back(std::move(path));
    return PostRequest(code);
  }
  [[nodiscard]] session::WriteLists& Lists() override { return lists; }
  // The session carried the request out.
  void Done() { pending = session::request::kNone; }

  int pending = session::request::kNone;
  bool refuse = false;  // as a session whose slot was taken in between
  std::vector<int> posted;
  std::vector<std::string> files;
  session::WriteLists lists;
};

struct Beep {
  int hertz;
  int ms;
};

class FakePageWindow final : public MapPageWindow {
 public:
  [[nodiscard]] pages::EnteredValue AskValue(const pages::Limits& limits, int option) override {
    asked_limits.push_back(limits);
    asked_options.push_back(option);
    if (answers.empty()) {
      return {pages::value_op::kCancelled, 0};
    }
    const pages::EnteredValue r = answers.front();
    answers.pop_front();
    return r;
  }
  void Beep(int hertz, int ms) override { beeps.push_back({hertz, ms}); }
  void SelezioneScheda(int page_code) override { pages.push_back(page_code); }
  void OpenAxisEditor() override { ++axis_editor; }

  std::deque<pages::EnteredValue> answers;
  std::vector<pages::Limits> asked_limits;
  std::vector<int> asked_options;
  std::vector<struct Beep> beeps;
  std::vector<int> pages;
  int axis_editor = 0;
};

// A message table with just enough entries and fields for the map pages:
// entry 1 (live record), 15, 16 and 18, each with `fields` zero fields.
inline link::MessageTable PageTable(std::size_t fields = 96) {
  std::vector<core::MessageEntry> entries(19);
  for (auto& e : entries) {
    e.fields.assign(fields, core::FieldSpec{"UB", 0, 1});
  }
  return link::MessageTable(std::move(entries));
}

// rpm breakpoint i = i x 320 rpm, injection-time breakpoint i = i x 0.896 ms.
inline calib::AxisBreakpoints StandardAxes() {
  calib::AxisBreakpoints v;
  for (std::size_t i = 0; i < v.rpm.size(); ++i) {
    v.rpm[i] = static_cast<std::uint8_t>(i * 5);
  }
  for (std::size_t i = 0; i < v.time.size(); ++i) {
    v.time[i] = static_cast<std::uint8_t>(i * 7);
  }
  return v;
}

// The breakpoints and, when they convert, their lookup tables into the image.
inline void PutAxes(const calib::AxisBreakpoints& v, calib::CalibrationImage& image) {
  calib::AxisTables t;
  if (calib::VectorsToTables(v, &t) == calib::AxisFailure::kNone) {
    image.rpm_axis = t.rpm;
    image.time_axis = t.time;
  }
  image.rpm_vector.assign(v.rpm.begin(), v.rpm.end());
  image.time_vector.assign(v.time.begin(), v.time.end());
}

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

// Everything a page needs, owned in one place: three maps of zeros, a
// configuration block of zeros and the standard axes.
struct PageRig {
  PageRig() {
    image.base_map.assign(552, 0);
    image.adaptive_map.assign(552, 0);
    image.second_map.assign(552, 0);
    image.companion.assign(16, 0);
    PutAxes(StandardAxes(), image);
  }
  calib::CalibrationImage image;
  link::MessageTable table = PageTable();
  FakePageSession session;
  FakePageWindow window;
  platform::FakeMessageBox box;
  MapPageEnv env{image, table, session, window, box, nullptr, "", "Velmora"};
};

}  // namespace velmora::maps::test
