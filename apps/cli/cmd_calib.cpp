#include "apps/cli/cmd_calib.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "apps/cli/cli_link.h"
#include "apps/cli/command_words.h"
#include "apps/cli/session_command.h"
#include "calib/calibration_env.h"
#include "calib/calibration_import.h"
#include "calib/calibration_load.h"
#include "core/dictionary.h"
#include "core/files.h"
#include "core/user_data.h"
#include "link/message_table.h"
#include "platform/stderr_message_box.h"
#include "session/request_codes.h"

namespace velmora::cli {
namespace {

struct ScopeName {
  std::string_view name;
  calib::LoadScope scope;
};
constexpr std::array<ScopeName, 4> kScopes = {{
    {"all", calib::LoadScope::kAll},
    {"settings", calib::LoadScope::kSettings},
    {"maps", calib::LoadScope::kMaps},
    {"switchover", calib::LoadScope::kSwitchOver},
}};
constexpr std::string_view kScopeOption = "--scope";
// A whole calibration at the slowest baud rate takes well under this.
constexpr std::chrono::seconds kTransferLimit{600};

std::string Describe(const calib::CalibrationOutcome& o) {
  std::string what;
  switch (o.error) {
    case calib::CalibrationError::kNone:
      what = "failed";
      break;
    case calib::CalibrationError::kMissingFile:
      what = "the file cannot be read";
      break;
    case calib::CalibrationError::kDamagedSection:
      what = "the file is damaged";
      if (o.section) {
        what += " (" + std::string(calib::InfoOf(*o.section).key) + ")";
      }
      return what;
    case calib::CalibrationError::kMissingSection:
      what = "missing section";
      break;
    case calib::CalibrationError::kLink:
      what = "the ECU exchange failed (code " + std::to_string(o.link_code) + ")";
      break;
    case calib::CalibrationError::kShortAnswer:
      what = "the ECU's answer is not the block asked for";
      break;
    case calib::CalibrationError::kReadBackMismatch:
      what = "a map read back differs from what was written";
      break;
    case calib::CalibrationError::kWriteFile:
      what = "the file could not be written";
      break;
    case calib::CalibrationError::kRefused:
      what = "refused";
      break;
  }
  if (o.section) {
    what += std::string(" ") + std::string(calib::InfoOf(*o.section).key);
  }
  return what;
}

// The texts of the installation's dictionary in its chosen language, where
// there is one.
calib::CalibrationTexts Texts(const core::PathTable& paths) {
  core::ClsLingue lingue;
  lingue.SetPathDizionario(paths.dictionary);
  lingue.SetPathAttualeLingua(paths.language_choice);
  lingue.LoadDizionario();
  return calib::TextsFromDictionary(lingue);
}

// What the calibration procedures work on, for one run of the tool.
struct CalibContext {
  explicit CalibContext(const core::PathTable& paths, const core::SetComConfig& set_com)
      : table(set_com.messages, [](std::string_view w) { Err("SetCom.ini: " + std::string(w)); }),
        env{table, image, box, dates, Texts(paths)} {}

  platform::StderrMessageBox box;
  calib::SystemDateProvider dates;
  link::MessageTable table;
  calib::CalibrationImage image;
  calib::CalibrationEnv env;
};

// A file no ECU could load under `scope` is refused before anything starts;
// the load checks it again against the ECU found.
bool RefusedBeforeConnecting(const std::string& path, int scope) {
  std::vector<std::string> lines;
  calib::CalibrationOutcome outcome;
  if (!core::EsisteFile(path) || !core::LeggiRighe(path, lines)) {
    outcome.error = calib::CalibrationError::kMissingFile;
  } else {
    const auto file = calib::ParseCalibration(lines, calib::Duplicates::kLaterWins);
    const calib::CapabilityFlags every_block{true, true, true};
    const auto load_scope = calib::LoadScopeOfRequest(scope).value_or(calib::LoadScope::kAll);
    if (calib::CheckLoadable(file, every_block, load_scope, &outcome)) {
      return false;
    }
  }
  Err("loading " + path + " failed: " + Describe(outcome));
  return true;
}

// The file argument; prints the usage when there is none.
std::optional<std::string> FileArgument(const CliOptions& options, std::size_t words) {
  if (options.command.size() != words || options.command[1].empty()) {
    Err(UsageText());
    return std::nullopt;
  }
  return options.command[1];
}

}  // namespace

int RunCalibRead(const CliOptions& options) {
  const auto path = FileArgument(options, 2);
  if (!path) {
    return exit_code::kUsage;
  }
  auto workstation = ConnectedWorkstation(options);
  if (!workstation) {
    return exit_code::kFailed;
  }
  const auto end = workstation->RunRequest(session::request::kSaveFromEcu, *path, kTransferLimit);
  if (end == HeadlessWorkstation::RequestEnd::kFailed) {
    Err("saving the calibration into " + *path +
        " failed: " + Describe(workstation->Calibration().LastOutcome()));
  }
  return Finish(*workstation, end == HeadlessWorkstation::RequestEnd::kSucceeded);
}

int RunCalibWrite(const CliOptions& options) {
  const auto& words = options.command;
  int code = static_cast<int>(calib::LoadScope::kAll);
  std::optional<std::string> path;
  for (std::size_t i = 1; i < words.size(); ++i) {
    std::string scope;
    if (TakeCommandValue(words, i, kScopeOption, &scope)) {
      const auto it = std::find_if(kScopes.begin(), kScopes.end(),
                                   [&](const ScopeName& s) { return s.name == scope; });
      if (it == kScopes.end()) {
        Err("--scope takes all, settings, maps or switchover, not \"" + scope + "\"");
        return exit_code::kUsage;
      }
      code = static_cast<int>(it->scope);
    } else if (!path && !words[i].empty() && words[i].rfind("--", 0) != 0) {
      path = words[i];
    } else {
      Err(UsageText());
      return exit_code::kUsage;
    }
  }
  if (!path) {
    Err(UsageText());
    return exit_code::kUsage;
  }
  // A missing or damaged file sends nothing, not even the connection.
  if (RefusedBeforeConnecting(*path, code)) {
    return exit_code::kFailed;
  }
  auto workstation = ConnectedWorkstation(options);
  if (!workstation) {
    return exit_code::kFailed;
  }
  const auto end = workstation->RunRequest(code, *path, kTransferLimit);
  if (end == HeadlessWorkstation::RequestEnd::kFailed) {
    Err("loading " + *path + " failed: " + Describe(workstation->Calibration().LastOutcome()));
  }
  return Finish(*workstation, end == HeadlessWorkstation::RequestEnd::kSucceeded);
}

int RunCalibShow(const CliOptions& options) {
  const auto path = FileArgument(options, 2);
  if (!path) {
    return exit_code::kUsage;
  }
  const core::PathTable paths = core::InstallationPaths(ResolveRoot(options.root));
  std::vector<std::string> set_com_lines;
  (void)core::LeggiRighe(paths.set_com, set_com_lines);
  CalibContext c(paths, core::LeggiSetCom(set_com_lines));
  calib::CalibrationOutcome outcome;
  if (!calib::OpenCalibrationFile(c.env, *path, &outcome)) {
    Err("opening " + *path + " failed: " + Describe(outcome));
    return exit_code::kFailed;
  }
  if (outcome.section) {
    Err("skipped " + Describe(outcome));
  }
  for (std::size_t e = 0; e < c.table.Size(); ++e) {
    if (c.table.LastAnswer(e).empty()) {
      continue;  // not in the file
    }
    for (std::size_t f = 0; f < c.table.FieldCount(e); ++f) {
      std::printf("%zu.%zu=%d\n", e, f, c.table.Value(e, f));
    }
  }
  return exit_code::kOk;
}

}  // namespace velmora::cli
