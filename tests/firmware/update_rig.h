#pragma once

// The update procedure against the virtual ECU's model behind the fake link,
// on a fake clock: a temporary installation (Flash.ini, images, Data), the
// shipped message table, and a calibration service that records when it
// saved and loaded, counted in ECU frames.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/files.h"
#include "core/paths.h"
#include "firmware/firmware_update.h"
#include "link/ecu_access.h"
#include "link/message_table.h"
#include "session/calibration_service.h"
#include "tests/calib/model_ecu.h"
#include "tests/core/temp_dir.h"
#include "tests/firmware/image_lines.h"

namespace velmora::firmware::test {

// Saves write a small file; every call is logged with the number of ECU
// frames sent before it.
class RecordingCalibration final : public session::CalibrationService {
 public:
  explicit RecordingCalibration(const velmora::test::ModelEcu& ecu) : ecu_(ecu) {}
  void SetEcu(int, const session::EcuCapabilities&) override {}
  bool ReadAll() override { return true; }
  void ApplyDefaultBlockImages(const session::EcuCapabilities&) override {}
  bool SaveFromEcu(const std::string& path) override {
    log.push_back({"save " + path, ecu_.frames.size()});
    return save_ok && core::WriteFileAtomic(path, "[INFO]\r\nsaved\r\n");
  }
  bool LoadToEcu(const std::string& path, int scope) override {
    log.push_back({"load " + path + " " + std::to_string(scope), ecu_.frames.size()});
    return load_ok;
  }
  bool OpenFile(const std::string&) override { return true; }
  Bytes& ParameterRecord() override { return record_; }
  bool WriteMap(int) override { return true; }
  bool WriteAxes() override { return true; }

  struct Call {
    std::string what;
    std::size_t after_frames;
  };
  std::vector<Call> log;
  bool save_ok = true;
  bool load_ok = true;

 private:
  const velmora::test::ModelEcu& ecu_;
  Bytes record_;
};

struct UpdateRig {
  explicit UpdateRig(sim::Hardware hw = sim::Hardware::kNex)
      : ecu(hw, [this] { return channel.clock.now; }), calibration(ecu) {
    ecu.Attach(channel.link);
    paths = core::FillPathTable(root.Path());
    (void)core::CreaCartella(paths.bin);
    (void)core::CreaCartella(paths.data_dir);
    WriteLines(paths.flash_ini, ShippedSectors());
    // What the session's connection left in entry 0: the ECU's identity.
    (void)table.LeggiVoce(access, 0);
  }
  static void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    (void)core::WriteFileAtomic(path, core::JoinCrLf(lines));
  }
  [[nodiscard]] UpdateLinks Links() {
    return UpdateLinks{access, table, calibration, paths, [] { return std::string("STAMP"); }};
  }
  // The update of the image from `lines` over the installation's Flash.ini.
  [[nodiscard]] UpdateResult Run(const std::vector<std::string>& lines) {
    WriteLines(root.File("image.frh"), lines);
    ImageResult image = LoadFirmwareImage(root.File("image.frh"), paths.flash_ini);
    if (!image.image) {
      ADD_FAILURE() << DescribeImageError(image);
      UpdateResult none;
      none.code = update_code::kNotStarted;
      return none;
    }
    UpdateObserver quiet;
    FirmwareUpdate update(Links(), std::move(*image.image), quiet);
    return update.Run();
  }
  // The index of the first frame with `command` from `from` on; npos if none.
  [[nodiscard]] std::size_t FrameOf(std::uint8_t command, std::size_t from = 0) const {
    const auto commands = ecu.Commands();
    for (std::size_t i = from; i < commands.size(); ++i) {
      if (commands[i] == command) {
        return i;
      }
    }
    return std::string::npos;
  }

  velmora::test::TempDir root;
  core::PathTable paths;
  link::testing::ChannelRig channel;
  velmora::test::ModelEcu ecu;
  link::EcuAccess access{channel.pipe, link::LinkTimes{15'000'000, 500'000, 20}};
  link::MessageTable table{velmora::test::ShippedSetCom().messages};
  RecordingCalibration calibration;
};

// The virtual NEXHW ECU's firmware with a later date, and with a later
// minor version.
inline const Bytes kSameVersion = Identification(3, 5, 0x20, 0x01, 0x2020, kNexText);
inline const Bytes kNextVersion = Identification(3, 6, 0x20, 0x01, 0x2020, kNexText);

}  // namespace velmora::firmware::test
