#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "core/config_scale.h"
#include "core/dictionary.h"
#include "core/paths.h"
#include "core/set_com.h"
#include "platform/os_info.h"

namespace velmora::core {

// The services the start-up sequence needs from the link, the firmware layer
// and the windows. Each step is a hook so that the order is the core's and the
// work is the owner's; a hook whose service is not there yet does nothing.
class StartupHost {
 public:
  virtual ~StartupHost() = default;
  virtual void KillStaleLink() {}
  virtual platform::OsRecord QueryOs() { return platform::QueryOsRecord(); }
  virtual char QueryDecimalSeparator() { return platform::QueryDecimalSeparator(); }
  virtual std::vector<std::string> ListCoefficientFiles(const std::string& /*lng_dir*/) {
    return {};
  }
  virtual std::string ReadFirmwareStartAddress(const std::string& /*image*/) { return {}; }
  virtual void StartLink() {}
  // Modal language choice when none is stored yet; returns the chosen index,
  // or -1 when the user closed the window without choosing.
  virtual int ChooseLanguageAtStartup(const ClsLingue& /*lingue*/) { return -1; }
  virtual void SendClientName() {}
  virtual void ListLanguageFolders() {}
  virtual void SendLinkInit() {}
  virtual void ReadSensorTables() {}
  virtual void BuildEcuModelLists() {}
  virtual void LoadMainWindow() {}
};

// The process-wide state the start-up sequence fills.
struct StartupState {
  std::string version_text;
  platform::OsRecord os;
  char decimal_sep = '.';
  PathTable paths;
  std::string firmware_address = "00FFE000";
  // The "no data" identification answers: the short one, then the blank
  // reference of each further hardware generation.
  std::array<Bytes, 4> reference_answers;
  std::vector<std::string> config_scale_lines;
  std::vector<std::string> coefficient_files;
  ConfigScale scale;
  SetComConfig set_com;
  ClsLingue lingue;
  std::string main_title;
  bool startup_mark = false;
  bool data_folder_ok = false;
};

// True for the old Windows family that lacks process lists and layered windows.
[[nodiscard]] bool IsOldFamily(const std::string& os_name);

// The entry procedure, strictly in the specified order, up to loading the
// main window.
void RunStartup(StartupState& state, StartupHost& host, const std::string& exe_dir);

// Reads ConfigScale.ini lines into the model configuration, honouring
// [PathDefault] only when the named file exists in lng.
void ApplyConfigScale(StartupState& state);

}  // namespace velmora::core
