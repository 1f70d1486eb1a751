#pragma once

// The update as the workstation runs it: the session's request, on the
// session's rig (fake link and clock, the virtual ECU's model with its boot
// loader, the calibration procedures counted), over a temporary installation
// with Flash.ini and a Data folder.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/files.h"
#include "core/paths.h"
#include "firmware/update_request.h"
#include "tests/firmware/image_lines.h"
#include "tests/session/session_rig.h"

namespace velmora::firmware::test {

class RecordedJob final : public UpdateJob {
 public:
  [[nodiscard]] std::string ImagePath() const override { return image; }
  void Finished(const UpdateResult& r) override { result = r; }
  std::string image;
  std::optional<UpdateResult> result;
};

struct UpdateRig {
  explicit UpdateRig(sim::Hardware hw = sim::Hardware::kNex) : session(hw) {
    paths = core::FillPathTable(session.dir.Path());
    for (const std::string& dir : {paths.bin, paths.lng, paths.data_dir}) {
      (void)core::CreaCartella(dir);
    }
    WriteLines(paths.flash_ini, ShippedSectors());
    // The calibration files are written, and when each came is noted in
    // ECU frames sent before it.
    session.calibration.during_save = [this](const std::string& path) {
      saved_after = session.frames.size();
      (void)core::WriteFileAtomic(path, "[INFO]\r\n");
    };
    session.calibration.during_load = [this](const std::string&) {
      loaded_after = session.frames.size();
    };
    EXPECT_TRUE(session.Connect());
    RegisterFirmwareUpdate(session.session->Requests(), links, session.table, paths, job);
  }
  static void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    (void)core::WriteFileAtomic(path, core::JoinCrLf(lines));
  }
  // Posts the update of the image from `lines` and lets the session run it.
  [[nodiscard]] UpdateResult Run(const std::vector<std::string>& lines) {
    job.image = session.dir.File("image.frh");
    WriteLines(job.image, lines);
    first_frame = session.frames.size();
    EXPECT_TRUE(session.session->PostRequest(kUpdateRequest));
    session.Tick();
    EXPECT_TRUE(job.result.has_value());
    return job.result.value_or(UpdateResult{update_code::kNotStarted, {}, {}, 0, false});
  }
  // The index of the first frame of the update with `command`; npos if none.
  [[nodiscard]] std::size_t FrameOf(std::uint8_t command) const {
    const auto commands = session.Commands();
    for (std::size_t i = first_frame; i < commands.size(); ++i) {
      if (commands[i] == command) {
        return i;
      }
    }
    return std::string::npos;
  }

  session::testing::SessionRig session;
  core::PathTable paths;
  RecordedJob job;
  FirmwareLinks links{session.ecu, session.calibration, [] { return std::string("STAMP"); }};
  std::size_t first_frame = 0;
  std::size_t saved_after = 0;
  std::size_t loaded_after = 0;
};

// The virtual NEXHW ECU's firmware with a later date, and with a later
// minor version.
inline const Bytes kSameVersion = Identification(3, 5, 0x20, 0x01, 0x2020, kNexText);
inline const Bytes kNextVersion = Identification(3, 6, 0x20, 0x01, 0x2020, kNexText);

}  // namespace velmora::firmware::test
