#pragma once

// Doubles for what a map page talks to: the page fakes, with a window that
// also counts axis editor openings.

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
#include "tests/pages/page_fakes.h"

namespace velmora::maps::test {

using pages::test::Beep;
using pages::test::FakePageSession;
using pages::test::TestDictionary;

class FakePageWindow final : public pages::test::FakeWindow<MapPageWindow> {
 public:
  void OpenAxisEditor() override { ++axis_editor; }
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
