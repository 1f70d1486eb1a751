#include "session/calib_calibration_service.h"

#include <utility>

#include "calib/axis_transfer.h"
#include "calib/calibration_import.h"
#include "calib/calibration_load.h"
#include "calib/calibration_reference.h"
#include "calib/calibration_save.h"

namespace velmora::session {

namespace {

constexpr std::size_t kSystemEntry = 15;  // "[BLK_6]"

// The banks by the pages' map index, with the first section of each for
// what is reported.
struct MapBank {
  link::BankCommands commands;
  calib::Section first;
};
constexpr std::array<MapBank, 3> kMapBanks{{
    {link::bank::kBase, calib::Section::kMap0},
    {link::bank::kAdaptive, calib::Section::kAdat0},
    {link::bank::kSecond, calib::Section::kMape0},
}};

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
  ForgetEcuCopies();  // perhaps another ECU
}

void CalibCalibrationService::KeepEcuCopies() {
  const calib::CalibrationImage& image = env_.image;
  for (std::size_t i = 0; i < kMapBanks.size(); ++i) {
    ecu_banks_[i].reset();
    const Bytes& map = image.Map(static_cast<int>(i));
    const bool carried = i == 0 || image.flags.adaptive_maps;
    if (!carried || map.size() != link::kBankSize) {
      continue;
    }
    if (i == 0 && image.companion.size() != link::kCompanionSize) {
      continue;
    }
    ecu_banks_[i] = link::BankImage{map, i == 0 ? image.companion : Bytes{}};
  }
}

void CalibCalibrationService::ForgetEcuCopies() {
  for (auto& copy : ecu_banks_) {
    copy.reset();
  }
}

void CalibCalibrationService::UpdateVectors() {
  axis_failure_ = calib::UpdateAxisVectors(env_.image);
}

Bytes& CalibCalibrationService::ParameterRecord() {
  // Whoever takes the write copy may write it to the ECU behind the bank
  // copy's back: the next map-0 write sends the record whatever it holds.
  if (ecu_banks_[0]) {
    ecu_banks_[0]->companion.clear();
  }
  return env_.image.companion;
}

bool CalibCalibrationService::ReadAll() {
  outcome_ = {};
  const auto frames = calib::ReadCalibrationFromEcu(env_, ecu_, &outcome_);
  if (!frames) {
    ForgetEcuCopies();
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
  KeepEcuCopies();
  UpdateVectors();
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
  // The load writes banks on its own; until they are read again nothing is
  // known of them.
  ForgetEcuCopies();
  const bool loaded = calib::LoadCalibrationToEcu(env_, ecu_, path, options, &outcome_);
  UpdateVectors();
  return loaded;
}

bool CalibCalibrationService::OpenFile(const std::string& path) {
  outcome_ = {};
  const bool opened = calib::OpenCalibrationFile(env_, path, &outcome_);
  if (opened) {
    UpdateVectors();
  }
  return opened;
}

bool CalibCalibrationService::WriteMap(int map) {
  outcome_ = {};
  if (map < 0 || static_cast<std::size_t>(map) >= kMapBanks.size() ||
      (map != 0 && !env_.image.flags.adaptive_maps)) {
    // Not a bank this ECU carries: nothing is sent.
    return calib::Fail(&outcome_, calib::CalibrationError::kLink, std::nullopt,
                       link::kInvalidRequest);
  }
  const auto index = static_cast<std::size_t>(map);
  const MapBank& bank = kMapBanks[index];
  link::BankImage wanted{env_.image.Map(map), map == 0 ? env_.image.companion : Bytes{}};
  const std::optional<link::BankImage>& known = ecu_banks_[index];
  link::BankImage read_back;
  const int code = link::ScriviBanco(ecu_, bank.commands.write, bank.commands.read, wanted,
                                     known.value_or(link::BankImage{}), !known, &read_back);
  if (code != link::kOk) {
    if (code != link::kInvalidRequest) {
      ecu_banks_[index].reset();  // some chunks may have gone, some not
    }
    return calib::Fail(&outcome_, calib::CalibrationError::kLink, bank.first, code);
  }
  // The image shows what the ECU holds, also when it took something else.
  env_.image.Map(map) = read_back.map;
  if (map == 0) {
    env_.image.companion = read_back.companion;
  }
  ecu_banks_[index] = read_back;
  if (read_back.map != wanted.map || read_back.companion != wanted.companion) {
    return calib::Fail(&outcome_, calib::CalibrationError::kReadBackMismatch, bank.first);
  }
  return true;
}

bool CalibCalibrationService::WriteAxes() {
  outcome_ = {};
  const calib::AxisTables wanted{env_.image.rpm_axis, env_.image.time_axis};
  calib::AxisTables read_back;
  const int code = calib::WriteAxisTables(ecu_, wanted, &read_back);
  if (code != link::kOk) {
    return calib::Fail(&outcome_, calib::CalibrationError::kLink, calib::Section::kVetRpm0, code);
  }
  env_.image.rpm_axis = read_back.rpm;
  env_.image.time_axis = read_back.time;
  UpdateVectors();
  if (read_back.rpm != wanted.rpm || read_back.time != wanted.time) {
    return calib::Fail(&outcome_, calib::CalibrationError::kReadBackMismatch,
                       calib::Section::kVetRpm0);
  }
  return true;
}

}  // namespace velmora::session
