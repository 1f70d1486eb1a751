#include "apps/cli/cmd_export.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "acq/log_rebuild.h"
#include "acq/logger_export.h"
#include "acq/osci_files.h"
#include "acq/png_writer.h"
#include "acq/recording_picture.h"
#include "apps/cli/cli_link.h"
#include "apps/cli/command_words.h"
#include "apps/cli/session_command.h"
#include "calib/calibration_env.h"
#include "calib/calibration_import.h"
#include "core/dictionary.h"
#include "core/files.h"
#include "core/user_data.h"
#include "link/message_table.h"
#include "platform/stderr_message_box.h"

namespace velmora::cli {
namespace {

constexpr std::string_view kOutOption = "--out";
constexpr std::string_view kCalibrationOption = "--calibration";
constexpr std::string_view kCsvFlag = "--csv";
constexpr std::string_view kPngFlag = "--png";

enum class Format { kText, kCsv, kPng };

struct ExportArgs {
  std::string in;
  std::string out;
  std::string calibration;
  Format format = Format::kText;
};

std::optional<ExportArgs> ParseExportArgs(const std::vector<std::string>& words,
                                          std::string& error) {
  ExportArgs a;
  int formats = 0;
  for (std::size_t i = 1; i < words.size(); ++i) {
    std::string value;
    if (TakeCommandValue(words, i, kOutOption, &value)) {
      a.out = value;
    } else if (TakeCommandValue(words, i, kCalibrationOption, &value)) {
      a.calibration = value;
    } else if (words[i] == kCsvFlag || words[i] == kPngFlag) {
      a.format = words[i] == kCsvFlag ? Format::kCsv : Format::kPng;
      ++formats;
    } else if (a.in.empty() && !words[i].empty() && !words[i].starts_with("--")) {
      a.in = words[i];
    } else {
      error = "export does not take \"" + words[i] + "\"";
      return std::nullopt;
    }
  }
  if (a.in.empty() || a.out.empty() || formats > 1) {
    error = "export needs FILE, --out FILE and at most one of --csv and --png";
    return std::nullopt;
  }
  return a;
}

// The installation's channels with their names, units and multipliers in
// its chosen language.
acq::Channels InstalledChannels(const core::PathTable& paths) {
  acq::Channels channels = acq::DefaultChannels();
  std::vector<std::string> lines;
  if (core::LeggiRighe(paths.osci_setup, lines)) {
    acq::ReadChannelSetup(lines, channels);
  }
  lines.clear();
  std::vector<acq::Variable> list;
  if (core::LeggiRighe(paths.osci_list, lines)) {
    list = acq::ReadVariableList(lines);
  }
  core::ClsLingue lingue;
  lingue.SetPathDizionario(paths.dictionary);
  lingue.SetPathAttualeLingua(paths.language_choice);
  lingue.LoadDizionario();
  acq::ApplyVariables(channels, list, std::max<int>(lingue.IdLingua(), 0));
  return channels;
}

// The message table with the calibration's blocks decoded into it.
link::MessageTable TableWithCalibration(const core::PathTable& paths, const std::string& file) {
  std::vector<std::string> lines;
  (void)core::LeggiRighe(paths.set_com, lines);
  link::MessageTable table(core::LeggiSetCom(lines).messages);
  platform::StderrMessageBox box;
  calib::SystemDateProvider dates;
  calib::CalibrationImage image;
  calib::CalibrationEnv env{table, image, box, dates, {}};
  calib::CalibrationOutcome outcome;
  if (!calib::OpenCalibrationFile(env, file, &outcome)) {
    Err("warning: " + file + " could not be opened: the engine speed (rpm) reads 0");
  }
  return table;
}

bool Write(const ExportArgs& a, const acq::SampleTable& samples, const acq::Channels& channels) {
  switch (a.format) {
    case Format::kCsv:
      return core::WriteFileAtomic(a.out, acq::ExportCsv(samples, channels));
    case Format::kPng: {
      const Bytes png = acq::EncodePng(acq::RecordingPicture(samples, channels));
      return !png.empty() &&
             core::WriteFileAtomic(
                 a.out, std::string_view(reinterpret_cast<const char*>(png.data()), png.size()));
    }
    case Format::kText:
      break;
  }
  return core::WriteFileAtomic(a.out, acq::ExportText(samples, channels));
}

}  // namespace

int RunExport(const CliOptions& options) {
  std::string error;
  const std::optional<ExportArgs> args = ParseExportArgs(options.command, error);
  if (!args) {
    Err(error + "\n" + UsageText());
    return exit_code::kUsage;
  }
  const core::PathTable paths = core::InstallationPaths(ResolveRoot(options.root));
  std::string text;
  if (!core::ReadWholeFile(args->in, text)) {
    Err("cannot read " + args->in);
    return exit_code::kFailed;
  }
  const link::MessageTable table = TableWithCalibration(
      paths, args->calibration.empty() ? paths.default_calibration : args->calibration);
  const acq::Channels channels = InstalledChannels(paths);
  const acq::SampleTable samples = acq::RebuildSamples(text, table, acq::IdsOf(channels));
  if (!Write(*args, samples, channels)) {
    Err("writing " + args->out + " failed");
    return exit_code::kFailed;
  }
  Out(std::to_string(samples.Count()) + " samples written to " + args->out);
  return exit_code::kOk;
}

}  // namespace velmora::cli
