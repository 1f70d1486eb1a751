#pragma once

#include <string>

#include "calib/calibration_env.h"
#include "core/session/calibration_service.h"
#include "link/ecu_access.h"

namespace velmora::session {

// The session's calibration procedures on the calibration library: the image
// and the message table of `env`, the link of `ecu`.
class CalibCalibrationService final : public CalibrationService {
 public:
  // `lng_dir` holds the reference calibrations; `default_calibration` is
  // the one used when none of them is for the connected ECU's system.
  CalibCalibrationService(calib::CalibrationEnv& env, link::EcuAccess& ecu, std::string lng_dir,
                          std::string default_calibration);

  void SetEcu(int generation, const EcuCapabilities& capabilities) override;
  [[nodiscard]] bool ReadAll() override;
  void ApplyDefaultBlockImages(const EcuCapabilities& capabilities) override;
  [[nodiscard]] bool SaveFromEcu(const std::string& path) override;
  [[nodiscard]] bool LoadToEcu(const std::string& path, int scope) override;
  [[nodiscard]] bool OpenFile(const std::string& path) override;
  [[nodiscard]] Bytes& ParameterRecord() override { return env_.image.companion; }
  [[nodiscard]] bool WriteMap(int map) override;
  [[nodiscard]] bool WriteAxes() override;

  // Why the last procedure failed.
  [[nodiscard]] const calib::CalibrationOutcome& LastOutcome() const { return outcome_; }

 private:
  [[nodiscard]] std::string ReferenceFile() const;

  calib::CalibrationEnv& env_;
  link::EcuAccess& ecu_;
  std::string lng_dir_;
  std::string default_calibration_;
  calib::CalibrationOutcome outcome_;
};

}  // namespace velmora::session
