#pragma once

#include <array>
#include <string>
#include <string_view>

namespace velmora::core {

// The platform's folder separator; the table's suffixes are written with "\"
// and converted with it.
#ifdef _WIN32
inline constexpr char kSep = '\\';
#else
inline constexpr char kSep = '/';
#endif

// Whether `c` separates folders: Windows takes '/' as well as its own '\',
// and paths typed by users or set in the environment often use it.
[[nodiscard]] constexpr bool IsSeparator(char c) {
  return c == kSep || c == '/';
}

// Root = the executable's folder cut at its last separator; a folder path
// with fewer than two separators gives an empty root.
[[nodiscard]] std::string RootFromExecutableDir(std::string_view exe_dir, char sep = kSep);

// A suffix such as "\bin\SetCom.ini" with the platform separator.
[[nodiscard]] std::string Suffix(std::string_view backslashed, char sep = kSep);

// Every well-known file and folder: what the installation ships below its
// root, and what a run writes below the user-data root (the same folder when
// the installation may be written to).
struct PathTable {
  std::string root;
  std::string user_root;
  std::string user_bin;       // the bin folder of the user-data root
  std::string port_registry;  // PortReg.ini, shared with the link server
  std::string bin;
  std::string lng;
  std::string port_com;
  std::string set_com;
  std::string config_scale;
  std::string flash_ini;
  std::string fw_nex;
  std::string fw_2nd;
  std::string fw_3rd;
  std::string fw_old;
  std::string default_firmware;  // the second-hardware image
  std::string osci_setup;
  std::string osci_list;
  std::string about;
  std::string map_list;
  std::string tuning_parameters;
  std::string mem10;
  std::array<std::string, 5> tuning_states;  // StatoTun, StatoTun1 ... StatoTun4
  std::string default_calibration;           // may be replaced by [PathDefault]
  std::string up_xsi;
  std::string data_dir;  // ends with the separator
  std::string manufacturers;
  std::string logger_tmp;
  std::string ico_dir;  // ends with the separator
  std::string pdf_dir;  // ends with the separator
  std::string dictionary;
  std::string language_choice;
  std::string tune_dir;
  std::string img_dir;  // ends with the separator
};

// The written files below `user_root`, everything else below `root`.
[[nodiscard]] PathTable FillPathTable(const std::string& root, const std::string& user_root,
                                      char sep = kSep);
// An installation that keeps its written files itself.
[[nodiscard]] PathTable FillPathTable(const std::string& root, char sep = kSep);

}  // namespace velmora::core
