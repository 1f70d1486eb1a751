#pragma once

#include <array>
#include <optional>
#include <string>

#include "calib/axis_vectors.h"
#include "calib/calibration_env.h"
#include "link/bank_transfer.h"
#include "link/ecu_access.h"
#include "session/calibration_service.h"

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
  [[nodiscard]] Bytes& ParameterRecord() override;
  [[nodiscard]] bool WriteMap(int map) override;
  [[nodiscard]] bool WriteAxes() override;

  // Why the last procedure failed.
  [[nodiscard]] const calib::CalibrationOutcome& LastOutcome() const { return outcome_; }
  // Why the image's lookup tables gave no breakpoints at the last read,
  // open or load (kNone when they did). The session does not tell the
  // user: the axis editor converts the tables itself and says why.
  [[nodiscard]] calib::AxisFailure LastAxisFailure() const { return axis_failure_; }

 private:
  [[nodiscard]] std::string ReferenceFile() const;
  // The ECU copies of the three banks from the image, which has just been
  // read from the ECU.
  void KeepEcuCopies();
  void ForgetEcuCopies();
  void UpdateVectors();

  calib::CalibrationEnv& env_;
  link::EcuAccess& ecu_;
  std::string lng_dir_;
  std::string default_calibration_;
  calib::CalibrationOutcome outcome_;
  calib::AxisFailure axis_failure_ = calib::AxisFailure::kNone;
  // What each bank (and bank 1's record) held when last read from or
  // written to the ECU: a map write sends only what differs from it. Empty
  // when not known, which sends everything.
  std::array<std::optional<link::BankImage>, 3> ecu_banks_;
};

}  // namespace velmora::session
