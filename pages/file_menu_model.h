#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pages/calibration_document.h"

namespace velmora::pages {

// The File menu's texts in the chosen language; a dictionary without them
// keeps these.
struct FileMenuTexts {
  std::string open = "&Open calibration...";
  std::string save_as = "&Save calibration as...";
  std::string archive_open = "Open from the &archive...";
  std::string archive_save = "Save to the a&rchive...";
  std::string export_dump = "E&xport text dump...";
  std::string recent = "Recent &files";
  std::string no_recent = "(no recent files)";
  std::string calibration_files = "Calibration files";
  std::string text_files = "Text files";
  std::string all_files = "All files";
  std::string scope_caption = "Load into the ECU";
  std::array<std::string, 4> scopes = {"Whole calibration", "Every block but the maps",
                                       "Maps and axes only", "Switch-over tables only"};
  std::string loading = "Loading the calibration into the ECU, please wait...";
  std::string saving = "Saving the calibration, please wait...";
  std::string not_calibration = "This is not a calibration file (.xsi, .qvd, .tun)";
  std::string missing_file = "The selected file does not exist";
  std::string busy = "Another operation is in progress: try again in a moment";
};

[[nodiscard]] FileMenuTexts FileMenuTextsFrom(const core::ClsLingue& lingue);

// The load scopes the Open action offers while connected, in the order of
// FileMenuTexts::scopes.
inline constexpr std::array<int, 4> kLoadScopes{
    session::request::kLoadAll, session::request::kLoadNoMaps, session::request::kLoadMaps,
    session::request::kLoadSwitchOver};

// The extensions of calibration files: current, the older family's, tuning.
inline constexpr std::array<std::string_view, 3> kCalibrationExtensions{".xsi", ".qvd", ".tun"};
[[nodiscard]] bool IsCalibrationFile(std::string_view path);

// The File menu without its widgets: what each action does with the
// calibration document and what the view must ask the user first.
class FileMenuModel {
 public:
  explicit FileMenuModel(DocumentEnv env) : document_(std::move(env)) { CaricaLingua(); }

  void CaricaLingua() { texts_ = FileMenuTextsFrom(document_.Env().lingue); }
  [[nodiscard]] const FileMenuTexts& Texts() const { return texts_; }
  [[nodiscard]] CalibrationDocument& Document() { return document_; }

  // The Open action asks for the load scope while an ECU is connected;
  // otherwise the file opens into the image.
  [[nodiscard]] bool OpenAsksScope() const { return EcuConnected(); }
  // Opens `path` with scope `scope_index` of kLoadScopes (ignored while no
  // ECU is connected). A box tells why nothing happened.
  void Open(const std::string& path, std::size_t scope_index = 0);
  void SaveAs(const std::string& path);
  // The Recent files entry `index`: a file that is gone leaves the list.
  void OpenRecent(std::size_t index, std::size_t scope_index = 0);
  // Of the files dropped on the window, the first calibration file.
  [[nodiscard]] std::optional<std::string> DroppedCalibration(
      const std::vector<std::string>& paths) const;
  // The text of a progress window while a request of ours runs.
  [[nodiscard]] std::optional<std::string> Progress() const;

 private:
  [[nodiscard]] bool EcuConnected() const;
  void Say(const std::string& text, platform::BoxKind kind);
  void Started(CalibrationDocument::Started s);

  CalibrationDocument document_;
  FileMenuTexts texts_;
};

}  // namespace velmora::pages
