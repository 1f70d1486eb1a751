#include "calib/calibration_import.h"

#include "calib/calibration_frames.h"
#include "core/files.h"
#include "core/hex.h"
#include "core/text.h"
#include "link/bank_transfer.h"
#include "link/message_table_codec.h"
#include "link/tuning_tables.h"

namespace velmora::calib {

namespace {

std::optional<std::vector<std::string>> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  if (!core::EsisteFile(path) || !core::LeggiRighe(path, lines)) {
    return std::nullopt;
  }
  return lines;
}

// The single-section readers take the first occurrence of a key.
std::optional<ParsedCalibration> ParseFirstWins(const std::string& path) {
  const auto lines = ReadLines(path);
  if (!lines) {
    return std::nullopt;
  }
  return ParseCalibration(*lines, Duplicates::kFirstWins);
}

void PutPage(Bytes& target, std::size_t size, std::size_t offset, const Bytes& data) {
  if (target.size() != size) {
    target.assign(size, 0);
  }
  std::copy(data.begin(), data.end(), target.begin() + static_cast<std::ptrdiff_t>(offset));
}

bool ImportCompensation(CalibrationEnv& env, link::EcuAccess& ecu, const std::string& path,
                        Section section, CalibrationOutcome* outcome) {
  const auto file = ParseFirstWins(path);
  if (!file) {
    return Fail(outcome, CalibrationError::kMissingFile, section);
  }
  if (file->Damaged(section)) {
    return Fail(outcome, CalibrationError::kDamagedSection, section);
  }
  if (!file->Present(section)) {
    return Fail(outcome, CalibrationError::kMissingSection, section);
  }
  const SectionInfo& info = InfoOf(section);
  if (const int code = ecu.Command(info.write_command, FrameData(file->frames[section]));
      code != link::kOk) {
    return Fail(outcome, CalibrationError::kLink, section, code);
  }
  if (const int code = env.table.LeggiVoce(ecu, static_cast<std::size_t>(info.entry));
      code != link::kOk) {
    return Fail(outcome, CalibrationError::kLink, section, code);
  }
  return Succeed(outcome);
}

}  // namespace

void ApplyToImage(const ParsedCalibration& file, link::MessageTable& table,
                  CalibrationImage& image) {
  for (const SectionInfo& info : kSections) {
    if (!file.Present(info.id)) {
      continue;
    }
    const Bytes& frame = file.frames[info.id];
    switch (info.holder) {
      case Holder::kIdentification:
      case Holder::kEntry: {
        const auto e = static_cast<std::size_t>(info.entry);
        table.SetLastAnswer(e, frame);
        table.DecodificaRisposta(frame, e);
        break;
      }
      case Holder::kCompanion:
        image.companion = FrameData(frame);
        break;
      case Holder::kBaseMap:
      case Holder::kAdaptiveMap:
      case Holder::kSecondMap:
        PutPage(*image.MapOf(info.holder), sizes::kMapImage,
                link::kBankChunks[static_cast<std::size_t>(info.part)].address, FrameData(frame));
        break;
      case Holder::kRpmAxis:
        PutPage(image.rpm_axis, sizes::kRpmAxis,
                sizes::kRpmHalf * static_cast<std::size_t>(info.part), FrameData(frame));
        break;
      case Holder::kTimeAxis:
        PutPage(image.time_axis, sizes::kTimeAxis,
                sizes::kTimeHalf * static_cast<std::size_t>(info.part), FrameData(frame));
        break;
      case Holder::kTuningTable:
        TuningFrame(image.tuning, info.part) = frame;
        break;
    }
  }
  image.note = file.note;
}

bool OpenCalibrationFile(CalibrationEnv& env, const std::string& path,
                         CalibrationOutcome* outcome) {
  const auto lines = ReadLines(path);
  if (!lines) {
    return Fail(outcome, CalibrationError::kMissingFile);
  }
  const ParsedCalibration file = ParseCalibration(*lines, Duplicates::kLaterWins);
  ApplyToImage(file, env.table, env.image);
  if (outcome != nullptr) {
    *outcome = CalibrationOutcome{};
    for (const SectionInfo& info : kSections) {
      if (file.Damaged(info.id)) {
        outcome->error = CalibrationError::kDamagedSection;
        outcome->section = info.id;
        break;
      }
    }
  }
  return true;
}

MapGrid GridFromImage(std::span<const std::uint8_t> image552) {
  MapGrid grid{};
  for (std::size_t r = 0; r < sizes::kMapRows; ++r) {
    for (std::size_t c = 0; c < sizes::kMapColumns; ++c) {
      const std::size_t i = r * sizes::kMapColumns + c;
      grid[r][c] = i < image552.size() ? image552[i] : 0;
    }
  }
  return grid;
}

std::optional<MapGrid> ReadMapFromFile(const std::string& path) {
  const auto lines = ReadLines(path);
  return lines ? ReadMapFromLines(*lines) : std::nullopt;
}

std::optional<MapGrid> ReadMapFromLines(const std::vector<std::string>& lines) {
  const ParsedCalibration file = ParseCalibration(lines, Duplicates::kFirstWins);
  Bytes image;
  for (std::size_t i = Index(Section::kMap0); i <= Index(Section::kMap4); ++i) {
    const auto s = static_cast<Section>(i);
    if (!file.Present(s)) {
      return std::nullopt;
    }
    const Bytes data = FrameData(file.frames[s]);
    image.insert(image.end(), data.begin(), data.end());
  }
  return GridFromImage(image);
}

std::optional<AxisVectors> ReadAxisVectorsFromFile(const std::string& path) {
  const auto lines = ReadLines(path);
  return lines ? ReadAxisVectorsFromLines(*lines) : std::nullopt;
}

std::optional<AxisVectors> ReadAxisVectorsFromLines(const std::vector<std::string>& lines) {
  const ParsedCalibration file = ParseCalibration(lines, Duplicates::kFirstWins);
  AxisVectors out;
  for (const Section s : {Section::kVetRpm0, Section::kVetRpm1}) {
    if (!file.Present(s)) {
      return std::nullopt;
    }
    const Bytes d = FrameData(file.frames[s]);
    out.rpm.insert(out.rpm.end(), d.begin(), d.end());
  }
  for (const Section s : {Section::kVetTinj0, Section::kVetTinj1}) {
    if (!file.Present(s)) {
      return std::nullopt;
    }
    const Bytes d = FrameData(file.frames[s]);
    out.time.insert(out.time.end(), d.begin(), d.end());
  }
  return out;
}

std::optional<std::int32_t> ReadBlockVariableFromFile(const link::MessageTable& table,
                                                      std::size_t entry_index,
                                                      const std::string& path,
                                                      std::string_view section_key,
                                                      std::size_t field) {
  const core::MessageEntry* entry = table.Entry(entry_index);
  if (entry == nullptr || field >= entry->fields.size()) {
    return std::nullopt;
  }
  const auto lines = ReadLines(path);
  if (!lines) {
    return std::nullopt;
  }
  const auto line = FindSectionLine(*lines, section_key);
  if (!line) {
    return std::nullopt;
  }
  const auto frame = core::HexToBin(core::Trim(*line));
  if (!frame) {
    return std::nullopt;
  }
  const link::DecodedField d = link::DecodeField(entry->fields[field], *frame);
  if (d.status != link::DecodeStatus::kDecoded) {
    return std::nullopt;
  }
  return d.value;
}

bool ImportComPGasX(CalibrationEnv& env, link::EcuAccess& ecu, const std::string& path,
                    CalibrationOutcome* outcome) {
  return ImportCompensation(env, ecu, path, Section::kComPgasx, outcome);
}

bool ImportComPBenX(CalibrationEnv& env, link::EcuAccess& ecu, const std::string& path,
                    CalibrationOutcome* outcome) {
  return ImportCompensation(env, ecu, path, Section::kComPbenx, outcome);
}

TuningImportResult LeggiMappeVcmRpmDafileEScarica(CalibrationEnv& env, link::EcuAccess& ecu,
                                                  const std::string& path) {
  // Frame bytes 6 to 125: the 120 cells after the table's own header byte.
  constexpr std::size_t kCellsOffset = 1;  // in the frame's data
  const auto file = ParseFirstWins(path);
  if (!file || !file->Present(Section::kTRisult)) {
    return {TuningImportStatus::kNoSection, 0};
  }
  const Bytes data = FrameData(file->frames[Section::kTRisult]);
  const Bytes cells(data.begin() + kCellsOffset,
                    data.begin() + static_cast<std::ptrdiff_t>(kCellsOffset + sizes::kTuningCells));
  // Asked before the link is touched: a refusal sends nothing at all.
  if (!env.box.Ask(env.texts.tuning_import_question, env.texts.tuning_import_caption)) {
    return {TuningImportStatus::kRefused, 0};
  }
  const int code =
      link::WithLongOperationParameter(ecu, link::ParameterRestore::kAfterSuccess, [&] {
        int result = ecu.Command(link::cmd::kResetTGas, {});
        if (result == link::kOk) {
          result = ecu.Command(link::cmd::kResetTRisult, cells);
        }
        if (result == link::kOk) {
          result = ecu.Command(link::cmd::kResetTIsto, {});
        }
        return result;
      });
  if (code != link::kOk) {
    return {TuningImportStatus::kLinkError, code};
  }
  return {TuningImportStatus::kDone, 0};
}

}  // namespace velmora::calib
