#include "apps/cli/cmd_diff.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "apps/cli/command_words.h"
#include "apps/cli/session_command.h"
#include "calib/calibration_diff.h"
#include "core/files.h"
#include "core/text.h"

namespace velmora::cli {

namespace {

constexpr std::string_view kEcuWord = "ecu";
// Whatever keeps a side from being read: as diff(1) says it.
constexpr int kTrouble = 2;

// A file's frames; its damaged sections are left out and named.
std::optional<calib::CalibrationFrames> FileFrames(const std::string& path) {
  std::vector<std::string> lines;
  if (!core::EsisteFile(path) || !core::LeggiRighe(path, lines)) {
    Err("diff: " + path + " cannot be read");
    return std::nullopt;
  }
  const calib::ParsedCalibration parsed =
      calib::ParseCalibration(lines, calib::Duplicates::kLaterWins);
  for (const calib::SectionInfo& info : calib::kSections) {
    if (parsed.Damaged(info.id)) {
      Err("diff: " + path + ": damaged section " + std::string(info.key) + " left out");
    }
  }
  return parsed.frames;
}

bool IsEcu(const std::string& word) {
  return core::EqualsNoCase(word, kEcuWord);
}

}  // namespace

int RunDiff(const CliOptions& options) {
  const auto& words = options.command;
  if (words.size() != 3 || words[1].empty() || words[2].empty()) {
    Err(UsageText());
    return exit_code::kUsage;
  }
  // The files first: a file that cannot be read needs no ECU.
  std::array<calib::CalibrationFrames, 2> sides;
  for (std::size_t i = 0; i < sides.size(); ++i) {
    if (!IsEcu(words[i + 1])) {
      auto frames = FileFrames(words[i + 1]);
      if (!frames) {
        return kTrouble;
      }
      sides[i] = std::move(*frames);
    }
  }
  std::unique_ptr<HeadlessWorkstation> workstation;
  if (IsEcu(words[1]) || IsEcu(words[2])) {
    workstation = ConnectedWorkstation(options);
    if (!workstation) {
      return kTrouble;
    }
    for (std::size_t i = 0; i < sides.size(); ++i) {
      if (IsEcu(words[i + 1])) {
        sides[i] = calib::ImageFrames(workstation->Table(), workstation->Image());
      }
    }
  }
  std::optional<link::MessageTable> layouts;
  if (!workstation) {
    layouts.emplace(ReadInstalledSetCom(options).messages);
  }
  const link::MessageTable& table = workstation ? workstation->Table() : *layouts;
  const calib::CalibrationDiff diff = calib::CompareCalibrations(sides[0], sides[1], table);
  for (const std::string& line : calib::DifferenceLines(diff)) {
    Out(line);
  }
  if (workstation) {
    (void)workstation->Close();
  }
  return diff.Equal() ? exit_code::kOk : exit_code::kFailed;
}

}  // namespace velmora::cli
