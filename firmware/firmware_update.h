#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/paths.h"
#include "firmware/calibration_keeper.h"
#include "firmware/firmware_image.h"
#include "firmware/flash_link.h"
#include "firmware/update_codes.h"
#include "link/ecu_access.h"
#include "link/message_table.h"
#include "session/calibration_service.h"

namespace velmora::firmware {

// The progress bar and the indicator, in the bar's own units and the
// procedure's waits.
namespace progress {
inline constexpr int kFullWidth = 3600;
inline constexpr int kStartWidth = 45;
inline constexpr int kStepWidth = 15;
inline constexpr int kSteps = 6;
inline constexpr std::int64_t kStepUs = 20'000;
inline constexpr int kWriteMargin = 90;
inline constexpr int kFinishBlinks = 10;
inline constexpr int kRestartBlinks = 130;  // 13 s for the ECU to restart
inline constexpr std::int64_t kBlinkUs = 100'000;
}  // namespace progress

// Where the update reads and keeps things.
namespace update_entry {
inline constexpr std::size_t kIdentity = 0;
inline constexpr std::size_t kConnection = 5;
// Entry 5's answer when the ECU gives none: the block goes back as it is.
inline constexpr std::string_view kDefaultConnection =
    "42011430009A0200051209140019010680060004006B";
}  // namespace update_entry

// What the update shows while it runs. Every call has a do-nothing default.
class UpdateObserver {
 public:
  virtual ~UpdateObserver() = default;
  // Window text `text` (prepare, start, erase, write, check, finish, restart).
  virtual void ShowStep(int /*text*/) {}
  // The progress bar's width, out of progress::kFullWidth.
  virtual void ShowBar(int /*width*/) {}
  virtual void Blink(bool /*on*/) {}
  // Blocks written so far of the blocks that hold data.
  virtual void ShowBlocks(std::size_t /*written*/, std::size_t /*to_write*/) {}
  virtual void BackupKept(const std::string& /*path*/) {}
  // A warning box with window text `text` (an image without records).
  virtual void Warn(int /*text*/) {}
};

// What the update works on. Nothing is owned.
struct UpdateLinks {
  link::EcuAccess& ecu;
  link::MessageTable& table;
  session::CalibrationService& calibration;
  core::PathTable paths;
  // Names the calibration backup; empty: the local time.
  std::function<std::string()> backup_stamp;
};

struct UpdateResult {
  int code = update_code::kOk;
  std::string backup;            // the calibration kept in the Data folder, if any
  std::string kept;              // where the calibration waits after a failed reload
  std::uint32_t differs_at = 0;  // for kVerify: the first block that differs
  bool checked = false;          // the ECU reported its blocks and they match
  bool closing = false;          // a reply time-out: the program closes next
};

// The update procedure (CmdOk's steps) on one image: keep the calibration,
// start programming, erase, write the blocks, check them, end, restart,
// give the connection block back and reload the calibration. Each step runs
// only while no step failed; the first failure's code is the result. The
// waits keep events flowing; the caller holds the channel for the whole run.
class FirmwareUpdate {
 public:
  FirmwareUpdate(const UpdateLinks& links, FlashImage image, UpdateObserver& observer);

  [[nodiscard]] UpdateResult Run();

 private:
  [[nodiscard]] bool Fail(int code);
  void Progress(int steps);
  void BlinkFor(int times);
  [[nodiscard]] bool ReadConnectionBlock();
  [[nodiscard]] bool KeepCalibration();
  [[nodiscard]] bool StartProgramming();
  [[nodiscard]] bool Erase();
  [[nodiscard]] bool WriteBlocks();
  [[nodiscard]] bool Check();
  [[nodiscard]] bool EndProgramming();
  [[nodiscard]] bool Restart();

  UpdateLinks links_;
  FlashImage image_;
  UpdateObserver& observer_;
  FlashLink link_;
  CalibrationKeeper keeper_;
  CalibrationPlan plan_ = CalibrationPlan::kNone;
  int bar_ = 0;
  UpdateResult result_;
};

}  // namespace velmora::firmware
