#pragma once

#include <functional>
#include <string>

#include "core/paths.h"
#include "session/calibration_service.h"

namespace velmora::firmware {

// The load scope of the reloads: the whole calibration.
inline constexpr int kReloadScope = 18;

// What happens to the ECU's calibration across an update.
enum class CalibrationPlan {
  kCarry,      // same version: "\bin\up.xsi" before the erase, loaded back after
  kReference,  // another version: the reference calibration after, when there is one
  kNone,       // a blank ECU holds no calibration to keep; the reference goes in after
};

// Keeps the ECU's calibration before the flash is erased and brings it (or
// the reference calibration) back after the restart. Whatever the plan, a
// calibration the ECU holds is also kept in the Data folder under a name of
// its own, so that no update can lose it.
class CalibrationKeeper {
 public:
  // `stamp` names the backup ("20240131-101500"); empty: the local time.
  CalibrationKeeper(session::CalibrationService& calibration, const core::PathTable& paths,
                    std::function<std::string()> stamp);

  // Before the erase: false when the calibration could not be saved (up.xsi
  // is written to a temporary name first, so a failure leaves no half file).
  [[nodiscard]] bool Keep(CalibrationPlan plan);
  // After the restart: false when the file did not go into the ECU; up.xsi
  // then stays for a later load.
  [[nodiscard]] bool Reload(CalibrationPlan plan);

  // The backup in the Data folder; empty until Keep made one.
  [[nodiscard]] const std::string& BackupPath() const { return backup_; }
  [[nodiscard]] const std::string& CarryPath() const { return paths_.up_xsi; }

 private:
  [[nodiscard]] std::string NewBackupPath() const;

  session::CalibrationService& calibration_;
  core::PathTable paths_;
  std::function<std::string()> stamp_;
  std::string backup_;
};

}  // namespace velmora::firmware
