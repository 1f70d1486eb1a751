#pragma once

// A workstation's message table and calibration image talking to the model
// ECU over the fake link, and the file helpers the calibration tests share.

#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "calib/calibration_env.h"
#include "calib/calibration_file.h"
#include "calib/calibration_image.h"
#include "core/files.h"
#include "link/ecu_access.h"
#include "link/ecu_identity.h"
#include "link/message_table.h"
#include "tests/core/temp_dir.h"
#include "tests/support/model_ecu.h"

namespace velmora::calib::testing {

using test::TempDir;

class FixedDate final : public DateProvider {
 public:
  CalendarDate Today() override { return {7, 3, 2024}; }
};

struct CalibrationRig {
  core::SetComConfig config = test::ShippedSetCom();
  link::testing::ChannelRig channel;
  test::ModelEcu ecu;
  link::EcuAccess access{channel.pipe, link::LinkTimes{2'000'000, 500'000, 20}};
  link::MessageTable table{config.messages};
  CalibrationImage image;
  FixedDate dates;
  CalibrationEnv env{table, image, channel.box, dates, CalibrationTexts{}};

  // The model's hardware and the image's generation go together.
  explicit CalibrationRig(sim::Hardware hw = sim::Hardware::kNex)
      : ecu(hw, [this] { return channel.clock.now; }) {
    ecu.Attach(channel.link);
    image.SetGeneration(hw == sim::Hardware::kNex     ? link::generation::kNex
                        : hw == sim::Hardware::kThird ? link::generation::k3rd
                                                      : link::generation::k2nd);
  }
  // Forgets the traffic so far.
  void Forget() {
    ecu.frames.clear();
    ecu.parameters.clear();
    channel.link.requests.clear();
  }
};

inline std::vector<std::string> FileLines(const std::string& path) {
  std::vector<std::string> lines;
  (void)core::LeggiRighe(path, lines);
  return lines;
}

inline std::string FileText(const std::string& path) {
  std::string s;
  (void)core::ReadWholeFile(path, s);
  return s;
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The value line of a key (first occurrence).
inline std::string LineAfter(const std::vector<std::string>& lines, std::string_view key) {
  return FindSectionLine(lines, key).value_or("<missing>");
}

// Replaces the value line of every occurrence of `key`.
inline std::vector<std::string> WithLine(std::vector<std::string> lines, std::string_view key,
                                         const std::string& value) {
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i] == key) {
      lines[i + 1] = value;
    }
  }
  return lines;
}

}  // namespace velmora::calib::testing
