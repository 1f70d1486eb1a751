#include "core/startup.h"

#include "core/files.h"
#include "core/hex.h"
#include "core/user_data.h"
#include "core/version.h"

namespace velmora::core {

namespace {

constexpr const char* kShortReference = "420104211472";
constexpr const char* kBlankReference =
    "4201422100FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFEFE"
    "0000000020000000FFFFFFFFFFFFFFFFFFFFFFFFFFFF00";

}  // namespace

bool IsOldFamily(const std::string& os_name) {
  return os_name == "Windows 95" || os_name == "Windows 3.x" || os_name == "Windows 98" ||
         os_name == "Win32s";
}

void ApplyConfigScale(StartupState& state) {
  state.scale = LeggiConfigScale(state.config_scale_lines, state.decimal_sep);
  if (!state.scale.path_default.empty()) {
    // Only a plain name below lng: a name with a folder part is not a path
    // the configuration may point anywhere with.
    const std::string& name = state.scale.path_default;
    const bool plain = name.find('/') == std::string::npos && name.find('\\') == std::string::npos;
    const std::string candidate = state.paths.lng + std::string(1, kSep) + name;
    if (plain && EsisteFile(candidate)) {
      state.paths.default_calibration = candidate;
    }
  }
}

namespace {

// Steps 5 to 7: the folders, the stored reference answers and what is read
// before the link starts.
void PrepareFolders(StartupState& state, StartupHost& host, const std::string& exe_dir) {
  state.paths = InstallationPaths(RootFromExecutableDir(exe_dir));
  state.firmware_address = "00FFE000";
  state.reference_answers[0] = HexToBin(kShortReference).value_or(Bytes{});
  for (std::size_t i = 1; i < state.reference_answers.size(); ++i) {
    state.reference_answers[i] = HexToBin(kBlankReference).value_or(Bytes{});
  }
  state.config_scale_lines.clear();
  (void)LeggiRighe(state.paths.config_scale, state.config_scale_lines);
  state.coefficient_files = host.ListCoefficientFiles(state.paths.lng);
  state.data_folder_ok =
      CreaCartella(state.paths.data_dir.substr(0, state.paths.data_dir.size() - 1));
  const std::string address = host.ReadFirmwareStartAddress(state.paths.default_firmware);
  if (!address.empty()) {
    state.firmware_address = address;
  }
}

// Step 9: the dictionary, and the language window when no language was
// chosen yet.
void LoadLanguage(StartupState& state, StartupHost& host) {
  state.lingue.SetPathDizionario(state.paths.dictionary);
  state.lingue.SetPathAttualeLingua(state.paths.language_choice);
  state.lingue.LoadDizionario();
  if (state.lingue.IdLingua() == -1) {
    const int chosen = host.ChooseLanguageAtStartup(state.lingue);
    if (chosen >= 0) {
      ChooseLanguage(state.lingue, static_cast<std::int16_t>(chosen), kProductTitle);
    }
  }
  state.main_title = kProductTitle;
}

}  // namespace

void RunStartup(StartupState& state, StartupHost& host, const std::string& exe_dir) {
  state.version_text = VersionText();
  state.scale = ConfigScale{};
  state.startup_mark = false;
  host.KillStaleLink();
  state.decimal_sep = host.QueryDecimalSeparator();
  state.os = host.QueryOs();
  PrepareFolders(state, host, exe_dir);
  host.StartLink();
  LoadLanguage(state, host);
  std::vector<std::string> set_com_lines;
  (void)LeggiRighe(state.paths.set_com, set_com_lines);
  state.set_com = LeggiSetCom(set_com_lines);
  host.SendClientName();
  host.ListLanguageFolders();
  host.SendLinkInit();
  ApplyConfigScale(state);
  host.ReadSensorTables();
  host.BuildEcuModelLists();
  state.startup_mark = true;
  host.LoadMainWindow();
}

}  // namespace velmora::core
