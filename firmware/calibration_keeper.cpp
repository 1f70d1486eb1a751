#include "firmware/calibration_keeper.h"

#include <chrono>
#include <ctime>

#include "core/files.h"

namespace velmora::firmware {

namespace {

constexpr const char* kBackupPrefix = "fw-backup-";
constexpr const char* kBackupExtension = ".xsi";
constexpr int kMaxSameStamp = 100;

std::string LocalStamp() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

bool CopyFile(const std::string& from, const std::string& to) {
  std::string content;
  return core::ReadWholeFile(from, content) && core::WriteFileAtomic(to, content);
}

}  // namespace

CalibrationKeeper::CalibrationKeeper(session::CalibrationService& calibration,
                                     const core::PathTable& paths,
                                     std::function<std::string()> stamp)
    : calibration_(calibration), paths_(paths), stamp_(std::move(stamp)) {
  if (!stamp_) {
    stamp_ = LocalStamp;
  }
}

std::string CalibrationKeeper::NewBackupPath() const {
  const std::string base = paths_.data_dir + kBackupPrefix + stamp_();
  std::string path = base + kBackupExtension;
  for (int n = 2; core::EsisteFile(path) && n < kMaxSameStamp; ++n) {
    path = base + "-" + std::to_string(n) + kBackupExtension;
  }
  return path;
}

bool CalibrationKeeper::Keep(CalibrationPlan plan) {
  if (plan == CalibrationPlan::kNone) {
    return true;
  }
  (void)core::CreaCartella(paths_.data_dir);
  const std::string backup = NewBackupPath();
  const bool kept = plan == CalibrationPlan::kCarry
                        ? calibration_.SaveFromEcu(paths_.up_xsi) && CopyFile(paths_.up_xsi, backup)
                        : calibration_.SaveFromEcu(backup);
  if (kept) {
    backup_ = backup;
  }
  return kept;
}

bool CalibrationKeeper::Reload(CalibrationPlan plan) {
  if (plan == CalibrationPlan::kCarry) {
    return calibration_.LoadToEcu(paths_.up_xsi, kReloadScope);
  }
  // Another firmware version (or an ECU that was blank) starts from the
  // reference calibration, when the installation has one.
  return !core::EsisteFile(paths_.default_calibration) ||
         calibration_.LoadToEcu(paths_.default_calibration, kReloadScope);
}

}  // namespace velmora::firmware
