#include "calib/calibration_load.h"

#include <algorithm>
#include <cctype>

#include "calib/calibration_block_codec.h"
#include "calib/calibration_frames.h"
#include "calib/calibration_import.h"
#include "core/files.h"
#include "core/hex.h"
#include "link/bank_transfer.h"
#include "link/ecu_identity.h"
#include "link/tuning_tables.h"

namespace velmora::calib {

namespace {

// Which sending groups each scope sends.
struct GroupScopes {
  int group;
  bool settings;
  bool maps;
  bool all;
  bool switch_over;
};
constexpr std::array<GroupScopes, 10> kGroupScopes{{
    {load_group::kBlocks, true, false, true, false},
    {load_group::kBaseMap, false, true, true, false},
    {load_group::kOtherMaps, false, true, true, false},
    {load_group::kRitCom, true, false, true, false},
    {load_group::kSwitchOver, true, false, true, true},
    {load_group::kLambda, true, false, true, false},
    {load_group::kObdErrors, true, false, true, false},
    {load_group::kObd, true, false, true, false},
    {load_group::kDirectInjection, true, false, true, false},
    {load_group::kAxes, false, true, true, false},
}};

// What a load writes, in sending order, with the group each section is sent in.
struct LoadStep {
  Section section;
  int group;
};
constexpr std::array<LoadStep, 35> kLoadSteps{{
    {Section::kBlk2, load_group::kBlocks},
    {Section::kBlk3, load_group::kBlocks},
    {Section::kBlk6, load_group::kBlocks},
    {Section::kBlk5, load_group::kBaseMap},
    {Section::kMap0, load_group::kBaseMap},
    {Section::kMap1, load_group::kBaseMap},
    {Section::kMap2, load_group::kBaseMap},
    {Section::kMap3, load_group::kBaseMap},
    {Section::kMap4, load_group::kBaseMap},
    {Section::kAdat0, load_group::kOtherMaps},
    {Section::kAdat1, load_group::kOtherMaps},
    {Section::kAdat2, load_group::kOtherMaps},
    {Section::kAdat3, load_group::kOtherMaps},
    {Section::kAdat4, load_group::kOtherMaps},
    {Section::kMape0, load_group::kOtherMaps},
    {Section::kMape1, load_group::kOtherMaps},
    {Section::kMape2, load_group::kOtherMaps},
    {Section::kMape3, load_group::kOtherMaps},
    {Section::kMape4, load_group::kOtherMaps},
    {Section::kRitCom, load_group::kRitCom},
    {Section::kComTgasx, load_group::kSwitchOver},
    {Section::kComTridx, load_group::kSwitchOver},
    {Section::kComPgasx, load_group::kSwitchOver},
    {Section::kComPbenx, load_group::kSwitchOver},
    {Section::kComSmag, load_group::kSwitchOver},
    {Section::kEmulaLambda, load_group::kLambda},
    {Section::kObdErr, load_group::kObdErrors},
    {Section::kObdData, load_group::kObd},
    {Section::kObdData2, load_group::kObd},
    {Section::kBlk8, load_group::kObd},
    {Section::kBlkDinst, load_group::kDirectInjection},
    {Section::kVetRpm0, load_group::kAxes},
    {Section::kVetRpm1, load_group::kAxes},
    {Section::kVetTinj0, load_group::kAxes},
    {Section::kVetTinj1, load_group::kAxes},
}};

// The fix-ups, by block.
namespace fix {
// Entry 2: the running-time counters a foreign file takes from the ECU, and
// the service interval whose bit 15 restarts the since-service count.
inline constexpr std::array<std::size_t, 4> kBlock2Counters{3, 4, 10, 11};
inline constexpr std::size_t kBlock2Service = 9;
inline constexpr std::int32_t kServiceRestart = 0x8000;
// Entry 2 field 1 not 0: the ECU wants the toggle routine; field 2 bit 0 is
// the toggled bit.
inline constexpr std::size_t kBlock2SubState = 1;
inline constexpr std::size_t kBlock2Options = 2;
inline constexpr std::int32_t kToggleBit = 0x01;
inline constexpr std::int64_t kToggleWaitUs = 500'000;
// "[BLK_3]": data byte 1 the cylinder count, 21 down to 14 the cylinder
// flags of cylinders 1 to 8.
inline constexpr std::size_t kBlock3Cylinders = 1;
inline constexpr std::size_t kBlock3FirstFlag = 21;
inline constexpr std::size_t kCylinders = 8;
// "[BLK_6]": data bytes 20 to 27 the injector error enables of cylinders 1
// to 8, 44 error 24's enable, 85 to 93 the auxiliary flags.
inline constexpr std::size_t kBlock6FirstEnable = 20;
inline constexpr std::uint8_t kEnabled = 3;
inline constexpr std::size_t kBlock6Error24 = 44;
inline constexpr std::size_t kBlock6AuxFirst = 85;
inline constexpr std::size_t kBlock6AuxLast = 93;
inline constexpr std::uint8_t kAuxBit = 0x80;
// Entry 5: the ECU's cylinder count.
inline constexpr std::size_t kConnectionCylinders = 6;
// "[OBD_DATA]" data byte 24 is cleared.
inline constexpr std::size_t kObdDataCleared = 24;
// "[BLK_8]" (entry 16): the fields a foreign old-firmware file takes from the
// reference calibration, the one it takes from its own field 12, and the
// field whose bit 4 the second hardware generation clears.
inline constexpr std::array<std::size_t, 10> kBlock8FromReference{47, 30, 2,  3,  46,
                                                                  22, 23, 31, 32, 43};
inline constexpr std::size_t kBlock8Target = 45;
inline constexpr std::size_t kBlock8Source = 12;
inline constexpr std::size_t kBlock8Options = 1;
inline constexpr std::int32_t kBlock8Bit4 = 0x10;
}  // namespace fix

// Finishing waits.
inline constexpr std::int64_t kFinishPauseUs = 250'000;

void SetByte(Bytes& data, std::size_t index, std::uint8_t value) {
  if (index < data.size()) {
    data[index] = value;
  }
}

Bytes FixBlock2(const Bytes& frame, const LoadInputs& in) {
  const core::MessageEntry* entry = in.table.Entry(static_cast<std::size_t>(entry::kBlock2));
  if (entry == nullptr || entry->fields.empty()) {
    return FrameData(frame);
  }
  core::MessageEntry copy = DecodeEntryCopy(*entry, frame);
  const auto ecu_value = [&in](std::size_t f) {
    return in.table.Value(static_cast<std::size_t>(entry::kBlock2), f);
  };
  if (in.current_file) {
    SetField(copy, fix::kBlock2Service,
             FieldValue(copy, fix::kBlock2Service) | fix::kServiceRestart);
  } else {
    for (const std::size_t f : fix::kBlock2Counters) {
      SetField(copy, f, ecu_value(f));
    }
    SetField(copy, fix::kBlock2Service, ecu_value(fix::kBlock2Service) | fix::kServiceRestart);
  }
  return EncodeEntry(copy);
}

Bytes FixBlock3(const Bytes& frame, const LoadPlan& plan) {
  Bytes data = FrameData(frame);
  if (!plan.current_file || data.size() <= fix::kBlock3Cylinders) {
    return data;
  }
  const std::uint8_t cylinders = data[fix::kBlock3Cylinders];
  SetByte(data, fix::kBlock3FirstFlag, 1);
  for (std::size_t k = 1; k < fix::kCylinders; ++k) {
    SetByte(data, fix::kBlock3FirstFlag - k, cylinders > k ? 1 : 0);
  }
  return data;
}

Bytes FixBlock6(const Bytes& frame, const LoadPlan& plan, const LoadInputs& in) {
  Bytes data = FrameData(frame);
  if (plan.current_file) {
    const std::int32_t cylinders =
        in.table.Value(static_cast<std::size_t>(entry::kConnection), fix::kConnectionCylinders);
    for (std::size_t k = 0; k < fix::kCylinders; ++k) {
      const bool used = cylinders >= static_cast<std::int32_t>(k + 1);
      SetByte(data, fix::kBlock6FirstEnable + k, used ? fix::kEnabled : 0);
    }
    for (std::size_t i = fix::kBlock6AuxFirst; i <= fix::kBlock6AuxLast && i < data.size(); ++i) {
      data[i] |= fix::kAuxBit;
    }
  } else if (plan.old_firmware) {
    SetByte(data, fix::kBlock6Error24, fix::kEnabled);
  }
  return data;
}

Bytes FixBlock8(const Bytes& frame, const LoadPlan& plan, const LoadInputs& in) {
  const core::MessageEntry* entry = in.table.Entry(static_cast<std::size_t>(entry::kBlock8));
  if (entry == nullptr || entry->fields.empty()) {
    return FrameData(frame);
  }
  core::MessageEntry copy = DecodeEntryCopy(*entry, frame);
  const core::MessageEntry file = copy;
  if (!plan.current_file && plan.old_firmware) {
    if (in.reference_block8) {
      for (const std::size_t f : fix::kBlock8FromReference) {
        if (const auto v = in.reference_block8(f)) {
          SetField(copy, f, *v);
        }
      }
    }
    SetField(copy, fix::kBlock8Target, FieldValue(file, fix::kBlock8Source));
  }
  if (in.generation == link::generation::k2nd) {
    SetField(copy, fix::kBlock8Options, FieldValue(file, fix::kBlock8Options) & ~fix::kBlock8Bit4);
  }
  return EncodeEntry(copy);
}

Bytes FixObdData(const Bytes& frame) {
  Bytes data = FrameData(frame);
  SetByte(data, fix::kObdDataCleared, 0);
  return data;
}

// The data a section is written with: the file's, with the block's fix-ups.
Bytes LoadData(Section s, const Bytes& frame, const LoadPlan& plan, const LoadInputs& in) {
  switch (s) {
    case Section::kBlk2:
      return FixBlock2(frame, in);
    case Section::kBlk3:
      return FixBlock3(frame, plan);
    case Section::kBlk6:
      return FixBlock6(frame, plan, in);
    case Section::kBlk8:
      return FixBlock8(frame, plan, in);
    case Section::kObdData:
      return FixObdData(frame);
    default:
      return FrameData(frame);
  }
}

// The write request of a section: the page's address bytes (map pages and
// axis halves) in front of the data.
std::optional<Bytes> WriteFrame(Section s, const Bytes& data) {
  Bytes payload;
  // Sized up front: also spares gcc 12 a false overflow warning on the insert.
  payload.reserve(data.size() + 3);
  if (const auto address = PagedAddress(s)) {
    payload.assign(address->begin(), address->end());
  }
  payload.insert(payload.end(), data.begin(), data.end());
  return link::RequestFrame(InfoOf(s).write_command, payload);
}

// Blocks only some ECUs carry are written only to those.
bool CarriedBy(Section s, const CapabilityFlags& flags) {
  const Holder h = InfoOf(s).holder;
  if (h == Holder::kAdaptiveMap || h == Holder::kSecondMap) {
    return flags.adaptive_maps;
  }
  if (s == Section::kObdErr) {
    return flags.obd_errors;
  }
  if (s == Section::kBlkDinst) {
    return flags.direct_injection;
  }
  return true;
}

std::optional<Section> FirstDamagedSection(const ParsedCalibration& file) {
  for (const SectionInfo& info : kSections) {
    if (LoadReads(info.id) && file.Damaged(info.id)) {
      return info.id;
    }
  }
  return std::nullopt;
}

bool OldFirmware(const ParsedCalibration& file) {
  if (!file.Present(Section::kFw)) {
    return false;
  }
  const auto year = FirmwareYear(file.frames[Section::kFw]);
  return year.has_value() && *year < kFirstCurrentFirmwareYear;
}

}  // namespace

std::optional<LoadScope> LoadScopeOfRequest(int code) {
  switch (code) {
    case static_cast<int>(LoadScope::kSettings):
      return LoadScope::kSettings;
    case static_cast<int>(LoadScope::kMaps):
      return LoadScope::kMaps;
    case static_cast<int>(LoadScope::kAll):
      return LoadScope::kAll;
    case static_cast<int>(LoadScope::kSwitchOver):
      return LoadScope::kSwitchOver;
    default:
      return std::nullopt;
  }
}

bool GroupInScope(int group, LoadScope scope) {
  for (const GroupScopes& g : kGroupScopes) {
    if (g.group != group) {
      continue;
    }
    switch (scope) {
      case LoadScope::kSettings:
        return g.settings;
      case LoadScope::kMaps:
        return g.maps;
      case LoadScope::kAll:
        return g.all;
      case LoadScope::kSwitchOver:
        return g.switch_over;
    }
  }
  return false;
}

bool LoadReads(Section s) {
  switch (s) {
    case Section::kColl:
    case Section::kBlk1:
    case Section::kErrorEcu:
    case Section::kFreezeFrame:
    case Section::kObdInfoErr:
    case Section::kTBenz:
    case Section::kTGas:
    case Section::kTRisult:
    case Section::kTIsto:
      return false;
    default:
      return true;
  }
}

std::optional<int> FirmwareYear(std::span<const std::uint8_t> fw_frame) {
  constexpr std::size_t kYearHigh = 4;
  const Bytes data = FrameData(fw_frame);
  if (data.size() <= kYearHigh + 1) {
    return std::nullopt;
  }
  const std::string digits = core::BinToHex(std::span(data).subspan(kYearHigh, 2));
  if (!std::all_of(digits.begin(), digits.end(),
                   [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; })) {
    return std::nullopt;
  }
  return std::stoi(digits);
}

bool CheckLoadable(const ParsedCalibration& file, const CapabilityFlags& flags, LoadScope scope,
                   CalibrationOutcome* outcome) {
  if (const auto damaged = FirstDamagedSection(file)) {
    return Fail(outcome, CalibrationError::kDamagedSection, *damaged);
  }
  // A file with nothing for this scope (any file that is not a calibration
  // at all) would otherwise "load" by sending only the finishing steps,
  // which clear the ECU's tuning tables.
  const bool writes = std::any_of(kLoadSteps.begin(), kLoadSteps.end(), [&](const LoadStep& step) {
    return file.Present(step.section) && CarriedBy(step.section, flags) &&
           GroupInScope(step.group, scope);
  });
  if (!writes) {
    return Fail(outcome, CalibrationError::kDamagedSection);
  }
  if (!file.Present(Section::kFw)) {
    return Fail(outcome, CalibrationError::kDamagedSection, Section::kFw);
  }
  return Succeed(outcome);
}

std::optional<LoadPlan> PrepareLoad(const ParsedCalibration& file, const LoadInputs& in,
                                    CalibrationOutcome* outcome) {
  if (const auto damaged = FirstDamagedSection(file)) {
    Fail(outcome, CalibrationError::kDamagedSection, *damaged);
    return std::nullopt;
  }
  LoadPlan plan;
  plan.current_file = in.current_file;
  plan.old_firmware = OldFirmware(file);
  if (file.Present(Section::kBlkDinst)) {
    plan.direct_injection = file.frames[Section::kBlkDinst];
  }
  for (const LoadStep& step : kLoadSteps) {
    if (!file.Present(step.section) || !CarriedBy(step.section, in.flags)) {
      continue;
    }
    Bytes data = LoadData(step.section, file.frames[step.section], plan, in);
    auto frame = WriteFrame(step.section, data);
    if (!frame) {
      Fail(outcome, CalibrationError::kDamagedSection, step.section);
      return std::nullopt;
    }
    plan.requests.push_back(
        LoadRequest{step.section, step.group, std::move(*frame), std::move(data)});
  }
  return plan;
}

int ToggleBlock2(link::MessageTable& table, link::EcuAccess& ecu) {
  const auto block2 = static_cast<std::size_t>(entry::kBlock2);
  if (const int code = table.LeggiVoce(ecu, block2); code != link::kOk) {
    return code;
  }
  if (const int code = table.LeggiVoce(ecu, static_cast<std::size_t>(entry::kBlock3));
      code != link::kOk) {
    return code;
  }
  table.SetValue(block2, fix::kBlock2Options,
                 table.Value(block2, fix::kBlock2Options) ^ fix::kToggleBit);
  if (const int code = ecu.Command(link::cmd::kWriteBlock2, table.CodificaValori(block2));
      code != link::kOk) {
    return code;
  }
  ecu.Pipe().Attendi(fix::kToggleWaitUs);
  return link::kOk;
}

namespace {

// Reads the map pages just written and compares them with what was sent.
bool VerifyMaps(CalibrationEnv& env, link::EcuAccess& ecu,
                const std::vector<const LoadRequest*>& sent, CalibrationOutcome* outcome) {
  for (const LoadRequest* r : sent) {
    const SectionInfo& info = InfoOf(r->section);
    const auto address = PagedAddress(r->section);
    Bytes answer;
    if (const int code = ecu.Command(info.read_command, *address, &answer); code != link::kOk) {
      return Fail(outcome, CalibrationError::kLink, r->section, code);
    }
    Bytes data;
    if (const int code = link::TakeAnswerData(ecu, answer, r->written.size(), &data);
        code != link::kOk) {
      return Fail(outcome, CalibrationError::kLink, r->section, code);
    }
    if (data != r->written) {
      env.box.Show(env.texts.map_write_failed + " " + std::string(info.key), env.texts.caption,
                   platform::BoxKind::Critical);
      return Fail(outcome, CalibrationError::kReadBackMismatch, r->section);
    }
  }
  return true;
}

bool SendPlan(CalibrationEnv& env, link::EcuAccess& ecu, const LoadPlan& plan,
              const LoadOptions& options, CalibrationOutcome* outcome) {
  std::vector<const LoadRequest*> maps_sent;
  int group = 0;
  const auto close_group = [&]() {
    if (!maps_sent.empty()) {
      const bool ok = VerifyMaps(env, ecu, maps_sent, outcome);
      maps_sent.clear();
      return ok;
    }
    return true;
  };
  const auto direct_injection_step = [&]() {
    if (!GroupInScope(load_group::kDirectInjection, options.scope)) {
      return;
    }
    if (plan.direct_injection.empty()) {
      if (options.default_direct_injection) {
        options.default_direct_injection();
      }
    } else if (!env.image.flags.direct_injection) {
      const auto e = static_cast<std::size_t>(entry::kDirectInjection);
      env.table.SetLastAnswer(e, plan.direct_injection);
      env.table.DecodificaRisposta(plan.direct_injection, e);
    }
  };
  bool direct_injection_done = false;
  for (const LoadRequest& r : plan.requests) {
    if (!GroupInScope(r.group, options.scope)) {
      continue;
    }
    if (r.group != group) {
      if (!close_group()) {
        return false;
      }
      if (!direct_injection_done && r.group > load_group::kDirectInjection) {
        direct_injection_step();
        direct_injection_done = true;
      }
      group = r.group;
    }
    if (const int code = ecu.InviaComando(r.frame); code != link::kOk) {
      return Fail(outcome, CalibrationError::kLink, r.section, code);
    }
    if (IsMapSection(r.section)) {
      maps_sent.push_back(&r);
    }
  }
  if (!close_group()) {
    return false;
  }
  if (!direct_injection_done) {
    direct_injection_step();
  }
  return true;
}

bool Finish(CalibrationEnv& env, link::EcuAccess& ecu, const LoadPlan& plan,
            const LoadOptions& options, CalibrationOutcome* outcome) {
  const auto step = [&](int code) {
    return code == link::kOk || Fail(outcome, CalibrationError::kLink, std::nullopt, code);
  };
  if (options.scope == LoadScope::kAll) {
    if (plan.current_file &&
        !step(link::ResetTuningTable(ecu, link::TuningTable::kTBenz, nullptr))) {
      return false;
    }
    if (!step(link::ResetTuningTable(ecu, link::TuningTable::kTIsto, nullptr)) ||
        !step(link::ResetTuningTable(ecu, link::TuningTable::kTRisult, nullptr)) ||
        !step(ecu.Command(link::cmd::kFinish, {}))) {
      return false;
    }
    ecu.Pipe().Attendi(kFinishPauseUs);
    if (!step(env.table.LeggiVoce(ecu, static_cast<std::size_t>(entry::kErrors)))) {
      return false;
    }
  }
  return step(ecu.SetEcuWait(true)) && step(ecu.Command(link::cmd::kSlow, {})) &&
         step(ecu.SetEcuWait(false));
}

bool Toggle(CalibrationEnv& env, link::EcuAccess& ecu, CalibrationOutcome* outcome) {
  const int code = ToggleBlock2(env.table, ecu);
  return code == link::kOk || Fail(outcome, CalibrationError::kLink, Section::kBlk2, code);
}

LoadInputs InputsFor(CalibrationEnv& env, const std::string& path, const LoadOptions& options) {
  return LoadInputs{env.table, env.image.flags, env.image.generation, IsCurrentFile(path),
                    [&env, &options](std::size_t field) {
                      return ReadBlockVariableFromFile(
                          env.table, static_cast<std::size_t>(entry::kBlock8),
                          options.reference_path, InfoOf(Section::kBlk8).key, field);
                    }};
}

// The plan's requests of the scope and the finishing steps, under link
// parameter 2; the parameter is given back only when everything succeeded.
bool SendAndFinish(CalibrationEnv& env, link::EcuAccess& ecu, const LoadPlan& plan,
                   const LoadOptions& options, CalibrationOutcome* outcome) {
  return UnderLongOperationParameter(ecu, outcome, [&] {
    return SendPlan(env, ecu, plan, options, outcome) && Finish(env, ecu, plan, options, outcome);
  });
}

}  // namespace

bool LoadCalibrationToEcu(CalibrationEnv& env, link::EcuAccess& ecu, const std::string& path,
                          const LoadOptions& options, CalibrationOutcome* outcome) {
  std::vector<std::string> lines;
  if (!core::EsisteFile(path) || !core::LeggiRighe(path, lines)) {
    return Fail(outcome, CalibrationError::kMissingFile);
  }
  const ParsedCalibration file = ParseCalibration(lines, Duplicates::kLaterWins);
  // Refused before the toggle routine sends anything.
  if (!CheckLoadable(file, env.image.flags, options.scope, outcome)) {
    return false;
  }
  const auto block2 = static_cast<std::size_t>(entry::kBlock2);
  const bool toggle = env.table.Value(block2, fix::kBlock2SubState) != 0;
  if (toggle && !Toggle(env, ecu, outcome)) {
    return false;
  }
  const auto plan = PrepareLoad(file, InputsFor(env, path, options), outcome);
  if (!plan || !SendAndFinish(env, ecu, *plan, options, outcome)) {
    return false;
  }
  if (toggle && !Toggle(env, ecu, outcome)) {
    return false;
  }
  return Succeed(outcome);
}

}  // namespace velmora::calib
