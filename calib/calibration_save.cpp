#include "calib/calibration_save.h"

#include "calib/calibration_frames.h"
#include "core/files.h"
#include "core/version.h"
#include "link/bank_transfer.h"
#include "link/tuning_tables.h"

namespace velmora::calib {

namespace {

bool SkippedWithoutAdaptiveMaps(Section s, const CapabilityFlags& flags) {
  const Holder h = InfoOf(s).holder;
  return !flags.adaptive_maps && (h == Holder::kAdaptiveMap || h == Holder::kSecondMap);
}

// Blocks the ECU may not have: their last answers (the default images) are
// saved instead of a read.
bool KeptFromMemory(Section s, const CapabilityFlags& flags) {
  switch (s) {
    case Section::kBlkDinst:
      return !flags.direct_injection;
    case Section::kObdErr:
    case Section::kObdInfoErr:
      return !flags.obd_errors;
    default:
      return false;
  }
}

// One section from the ECU, as its stored frame.
int ReadSection(CalibrationEnv& env, link::EcuAccess& ecu, const SectionInfo& info, Bytes* frame) {
  switch (info.holder) {
    case Holder::kEntry: {
      const auto entry = static_cast<std::size_t>(info.entry);
      const int code = env.table.LeggiVoce(ecu, entry);
      if (code == link::kOk) {
        *frame = env.table.LastAnswer(entry);
      }
      return code;
    }
    case Holder::kIdentification:
    case Holder::kCompanion:
      return ecu.Command(info.read_command, {}, frame);
    default: {
      const auto address = PagedAddress(info.id);
      if (!address) {
        return link::kInvalidRequest;
      }
      return ecu.Command(info.read_command, *address, frame);
    }
  }
}

// The four tuning tables come in one bracketed read.
bool ReadTuningTables(CalibrationEnv& env, link::EcuAccess& ecu, Section s,
                      CalibrationFrames& frames, CalibrationOutcome* outcome) {
  link::TuningTables tables;
  if (const int code = link::LeggiTabelleTaratura(ecu, &tables); code != link::kOk) {
    return Fail(outcome, CalibrationError::kLink, s, code);
  }
  for (const Section t : {Section::kTBenz, Section::kTGas, Section::kTRisult, Section::kTIsto}) {
    frames[t] = TuningFrame(tables, InfoOf(t).part);
  }
  env.image.tuning = std::move(tables);
  return true;
}

// Every section the save holds, in the ECU's read order.
bool ReadSections(CalibrationEnv& env, link::EcuAccess& ecu, CalibrationFrames& frames,
                  CalibrationOutcome* outcome) {
  const CapabilityFlags flags = env.image.flags;
  bool tables_read = false;
  for (const Section s : kSaveReadOrder) {
    const SectionInfo& info = InfoOf(s);
    if (SkippedWithoutAdaptiveMaps(s, flags)) {
      continue;
    }
    if (info.holder == Holder::kTuningTable) {
      if (!tables_read && !ReadTuningTables(env, ecu, s, frames, outcome)) {
        return false;
      }
      tables_read = true;
      continue;
    }
    if (KeptFromMemory(s, flags)) {
      frames[s] = env.table.LastAnswer(static_cast<std::size_t>(info.entry));
      continue;
    }
    Bytes frame;
    if (const int code = ReadSection(env, ecu, info, &frame); code != link::kOk) {
      return Fail(outcome, CalibrationError::kLink, s, code);
    }
    // A file is only as good as its worst section: an answer the readers
    // would refuse ends the save here.
    if (!SectionFrameValid(s, frame)) {
      ecu.Pipe().ShowCommunicationError();
      return Fail(outcome, CalibrationError::kShortAnswer, s, link::kShortPayload);
    }
    frames[s] = s == Section::kBlk3 ? NormaliseBlock3Frame(std::move(frame)) : std::move(frame);
  }
  return true;
}

}  // namespace

std::optional<CalibrationFrames> ReadCalibrationFromEcu(CalibrationEnv& env, link::EcuAccess& ecu,
                                                        CalibrationOutcome* outcome) {
  CalibrationFrames frames;
  if (!UnderLongOperationParameter(ecu, outcome,
                                   [&] { return ReadSections(env, ecu, frames, outcome); })) {
    return std::nullopt;
  }
  return frames;
}

CalibrationFrames FramesFromImage(const link::MessageTable& table, const CalibrationImage& image) {
  CalibrationFrames frames;
  for (const SectionInfo& info : kSections) {
    Bytes& out = frames[info.id];
    switch (info.holder) {
      case Holder::kIdentification: {
        const Bytes data = FrameData(table.LastAnswer(static_cast<std::size_t>(info.entry)));
        if (data.size() >= sizes::kIdentification) {
          out = MakeStoredFrame(info.read_command, std::span(data).first(sizes::kIdentification))
                    .value_or(Bytes{});
        }
        break;
      }
      case Holder::kEntry:
        out = table.LastAnswer(static_cast<std::size_t>(info.entry));
        break;
      case Holder::kCompanion:
        if (image.companion.size() == sizes::kCompanion) {
          out = MakeStoredFrame(info.read_command, image.companion).value_or(Bytes{});
        }
        break;
      case Holder::kBaseMap:
      case Holder::kAdaptiveMap:
      case Holder::kSecondMap: {
        const Bytes& map = *image.MapOf(info.holder);
        const link::BankChunk& chunk = link::kBankChunks[static_cast<std::size_t>(info.part)];
        if (map.size() == sizes::kMapImage) {
          out =
              MakeStoredFrame(info.read_command, std::span(map).subspan(chunk.address, chunk.count))
                  .value_or(Bytes{});
        }
        break;
      }
      case Holder::kRpmAxis:
      case Holder::kTimeAxis: {
        const bool rpm = info.holder == Holder::kRpmAxis;
        const Bytes& vec = rpm ? image.rpm_axis : image.time_axis;
        const std::size_t half = rpm ? sizes::kRpmHalf : sizes::kTimeHalf;
        if (vec.size() == half * 2) {
          out = MakeStoredFrame(
                    info.read_command,
                    std::span(vec).subspan(half * static_cast<std::size_t>(info.part), half))
                    .value_or(Bytes{});
        }
        break;
      }
      case Holder::kTuningTable:
        out = TuningFrame(image.tuning, info.part);
        break;
    }
  }
  return frames;
}

std::string CalibrationText(CalibrationEnv& env, const CalibrationFrames& frames) {
  const FileHeader header{InfoLine(env.texts.title, core::VersionText(), env.dates.Today()),
                          env.image.note};
  return ComposeCalibrationText(header, frames, env.image.flags.adaptive_maps);
}

namespace {

bool WriteCalibrationFile(CalibrationEnv& env, const std::string& path,
                          const CalibrationFrames& frames, CalibrationOutcome* outcome) {
  if (!core::WriteFileAtomic(path, CalibrationText(env, frames))) {
    env.box.Show(env.texts.file_write_failed + "\n" + path, env.texts.caption,
                 platform::BoxKind::Critical);
    return Fail(outcome, CalibrationError::kWriteFile);
  }
  return Succeed(outcome);
}

}  // namespace

bool SaveCalibrationFromEcu(CalibrationEnv& env, link::EcuAccess& ecu, const std::string& path,
                            CalibrationOutcome* outcome) {
  const auto frames = ReadCalibrationFromEcu(env, ecu, outcome);
  if (!frames) {
    return false;
  }
  return WriteCalibrationFile(env, path, *frames, outcome);
}

bool SaveCalibrationFromImage(CalibrationEnv& env, const std::string& path,
                              CalibrationOutcome* outcome) {
  return WriteCalibrationFile(env, path, FramesFromImage(env.table, env.image), outcome);
}

}  // namespace velmora::calib
