#include "apps/cli/cmd_calib.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "apps/cli/cli_link.h"
#include "apps/cli/stderr_message_box.h"
#include "calib/calibration_env.h"
#include "calib/calibration_import.h"
#include "calib/calibration_load.h"
#include "calib/calibration_reference.h"
#include "calib/calibration_save.h"
#include "core/dictionary.h"
#include "core/files.h"
#include "link/ecu_identity.h"
#include "link/message_table.h"

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

// Entries the load's fix-ups and the reference lookup read from the ECU
// before anything is written: block 2 (counters, the toggle's sub-state),
// block 3, the connection block (cylinders) and block 6 (system).
constexpr std::array<std::size_t, 4> kEntriesBeforeLoad = {
    calib::entry::kBlock2, calib::entry::kBlock3, calib::entry::kConnection, calib::entry::kBlock6};

void Err(const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
}

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
      what = "damaged section";
      break;
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
    what += std::string(" ") + std::string(calib::Spec(*o.section).key);
  }
  return what;
}

// The texts of the installation's dictionary in its chosen language, where
// there is one.
calib::CalibrationTexts Texts(const core::PathTable& paths) {
  core::ClsLingue lingue;
  lingue.SetPathDizionario(paths.dizionario);
  lingue.SetPathAttualeLingua(paths.diz_con);
  lingue.LoadDizionario();
  return calib::TextsFromDictionary(lingue);
}

// What the calibration procedures work on, for one run of the tool.
struct CalibContext {
  explicit CalibContext(const core::PathTable& paths, const core::SetComConfig& set_com)
      : table(set_com.messages, [](std::string_view w) { Err("SetCom.ini: " + std::string(w)); }),
        env{table, image, box, dates, Texts(paths)} {}

  StderrMessageBox box;
  calib::SystemDateProvider dates;
  link::MessageTable table;
  calib::CalibrationImage image;
  calib::CalibrationEnv env;
};

// The file argument; prints the usage when there is none.
std::optional<std::string> FileArgument(const CliOptions& options, std::size_t words) {
  if (options.command.size() != words || options.command[1].empty()) {
    Err(UsageText());
    return std::nullopt;
  }
  return options.command[1];
}

// Connects and sets the image's generation from the ECU's identity.
bool Connect(CliLink& link, CalibContext& c) {
  Bytes identity;
  const auto port = link.ChoosePort();
  if (!port || !link.Start() || !link.Connect(*port, &identity)) {
    return false;
  }
  const auto match = link::MatchIdentity(identity, link.SetCom().firmware1);
  if (!match) {
    Err("the ECU's identity matches no firmware entry");
    return false;
  }
  c.image.SetGeneration(match->generation);
  c.table.SetLastAnswer(calib::entry::kIdent, identity);
  return true;
}

bool ReadEntry(CliLink& link, CalibContext& c, std::size_t entry) {
  const int code = c.table.LeggiVoce(link.Ecu(), entry);
  if (code != link::kOk) {
    Err("reading entry " + std::to_string(entry) + " failed (code " + std::to_string(code) + ")");
    return false;
  }
  return true;
}

// The installation's reference calibration for the connected ECU's system.
std::string ReferenceFor(const CliLink& link, const CalibContext& c) {
  const auto list = calib::ListReferenceCalibrations(c.table, link.Paths().lng);
  return calib::ChooseReferenceFile(list,
                                    c.table.Value(calib::entry::kBlock6, calib::kSystemIdField),
                                    link.Paths().default_calibration);
}

}  // namespace

int RunCalibRead(const CliOptions& options) {
  const auto path = FileArgument(options, 2);
  if (!path) {
    return exit_code::kUsage;
  }
  CliLink link(options);
  CalibContext c(link.Paths(), link.SetCom());
  if (!Connect(link, c)) {
    return exit_code::kFailed;
  }
  // Blocks this ECU lacks are saved from the reference calibration, as the
  // workstation fills them when it connects.
  const calib::CapabilityFlags& flags = c.image.flags;
  if (!flags.direct_injection || !flags.obd_errors) {
    if (!ReadEntry(link, c, calib::entry::kBlock6)) {
      return exit_code::kFailed;
    }
    (void)calib::FillDefaultBlockImages(c.table, ReferenceFor(link, c), flags);
  }
  calib::CalibrationOutcome outcome;
  if (!calib::SaveCalibrationFromEcu(c.env, link.Ecu(), *path, &outcome)) {
    Err("saving the calibration into " + *path + " failed: " + Describe(outcome));
    return exit_code::kFailed;
  }
  return exit_code::kOk;
}

int RunCalibWrite(const CliOptions& options) {
  const auto& words = options.command;
  calib::LoadOptions load;
  std::optional<std::string> path;
  for (std::size_t i = 1; i < words.size(); ++i) {
    std::string_view w = words[i];
    std::string_view scope;
    if (w == kScopeOption && i + 1 < words.size()) {
      scope = words[++i];
    } else if (w.size() > kScopeOption.size() + 1 &&
               w.substr(0, kScopeOption.size()) == kScopeOption && w[kScopeOption.size()] == '=') {
      scope = w.substr(kScopeOption.size() + 1);
    } else if (!path && !w.empty() && w.substr(0, 2) != "--") {
      path = std::string(w);
      continue;
    } else {
      Err(UsageText());
      return exit_code::kUsage;
    }
    bool known = false;
    for (const ScopeName& s : kScopes) {
      if (s.name == scope) {
        load.scope = s.scope;
        known = true;
      }
    }
    if (!known) {
      Err("--scope takes all, settings, maps or switchover, not \"" + std::string(scope) + "\"");
      return exit_code::kUsage;
    }
  }
  if (!path) {
    Err(UsageText());
    return exit_code::kUsage;
  }
  // A missing file sends nothing, not even the connection.
  if (!core::EsisteFile(*path)) {
    Err("loading " + *path + " failed: the file cannot be read");
    return exit_code::kFailed;
  }
  CliLink link(options);
  CalibContext c(link.Paths(), link.SetCom());
  if (!Connect(link, c)) {
    return exit_code::kFailed;
  }
  for (const std::size_t entry : kEntriesBeforeLoad) {
    if (!ReadEntry(link, c, entry)) {
      return exit_code::kFailed;
    }
  }
  load.reference_path = ReferenceFor(link, c);
  calib::CalibrationOutcome outcome;
  if (!calib::LoadCalibrationToEcu(c.env, link.Ecu(), *path, load, &outcome)) {
    Err("loading " + *path + " failed: " + Describe(outcome));
    return exit_code::kFailed;
  }
  return exit_code::kOk;
}

int RunCalibShow(const CliOptions& options) {
  const auto path = FileArgument(options, 2);
  if (!path) {
    return exit_code::kUsage;
  }
  const core::PathTable paths = core::FillPathTable(ResolveRoot(options.root));
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
