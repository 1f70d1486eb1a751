#include "core/session/calib_calibration_service.h"

#include <utility>

#include "calib/calibration_import.h"
#include "calib/calibration_load.h"
#include "calib/calibration_reference.h"
#include "calib/calibration_save.h"

namespace velmora::session {

namespace {
constexpr std::size_t kSystemEntry = 15;  // "[BLK_6]"
}  // namespace

CalibCalibrationService::CalibCalibrationService(calib::CalibrationEnv& env, link::EcuAccess& ecu,
                                                 std::string lng_dir,
                                                 std::string default_calibration)
    : env_(env),
      ecu_(ecu),
      lng_dir_(std::move(lng_dir)),
      default_calibration_(std::move(default_calibration)) {}

void CalibCalibrationService::SetEcu(int generation, const EcuCapabilities& /*capabilities*/) {
  env_.image.SetGeneration(generation);
}

bool CalibCalibrationService::ReadAll() {
  outcome_ = {};
  const auto frames = calib::ReadCalibrationFromEcu(env_, ecu_, &outcome_);
  if (!frames) {
    return false;
  }
  // The blocks outside the message table (maps, "[BLK_5]", axes) go into
  // the image the pages show.
  calib::ParsedCalibration read;
  read.frames = *frames;
  for (std::size_t i = 0; i < calib::kSectionCount; ++i) {
    read.state[i] = read.frames.frames[i].empty() ? calib::SectionState::kAbsent
                                                  : calib::SectionState::kPresent;
  }
  read.note = env_.image.note;
  calib::ApplyToImage(read, env_.table, env_.image);
  return true;
}

std::string CalibCalibrationService::ReferenceFile() const {
  const auto list = calib::ListReferenceCalibrations(env_.table, lng_dir_);
  return calib::ChooseReferenceFile(list, env_.table.Value(kSystemEntry, calib::kSystemIdField),
                                    default_calibration_);
}

void CalibCalibrationService::ApplyDefaultBlockImages(const EcuCapabilities& /*capabilities*/) {
  (void)calib::FillDefaultBlockImages(env_.table, ReferenceFile(), env_.image.flags);
}

bool CalibCalibrationService::SaveFromEcu(const std::string& path) {
  outcome_ = {};
  return calib::SaveCalibrationFromEcu(env_, ecu_, path, &outcome_);
}

bool CalibCalibrationService::LoadToEcu(const std::string& path, int scope) {
  outcome_ = {};
  const auto load_scope = calib::LoadScopeOfRequest(scope);
  if (!load_scope) {
    return false;
  }
  calib::LoadOptions options;
  options.scope = *load_scope;
  options.reference_path = ReferenceFile();
  return calib::LoadCalibrationToEcu(env_, ecu_, path, options, &outcome_);
}

bool CalibCalibrationService::OpenFile(const std::string& path) {
  outcome_ = {};
  return calib::OpenCalibrationFile(env_, path, &outcome_);
}

bool CalibCalibrationService::WriteMap(int /*map*/) { return false; }

bool CalibCalibrationService::WriteAxes() { return false; }

}  // namespace velmora::session
