#pragma once

#include <array>
#include <string>
#include <vector>

#include "calib/calibration_archive.h"
#include "calib/calibration_reference.h"
#include "pages/calibration_document.h"

namespace velmora::pages {

// The dialog's modes.
namespace archive_mode {
inline constexpr int kSave = 1;
inline constexpr int kOpen = 2;
}  // namespace archive_mode

// The archive dialog's texts in the chosen language.
struct ArchiveTexts {
  std::string caption = "Calibration archive";
  std::string open = "Open";
  std::string save = "Save";
  std::string cancel = "Cancel";
  std::string browse = "Browse...";
  std::string manufacturer = "Manufacturer";
  std::string model = "Model";
  std::string cylinders = "Cylinders";
  std::string identifier = "Identifier";
  std::string note = "Note";
  std::string files = "Archived calibrations";
  std::string filter = "Filter by manufacturer";
  std::string delete_file = "Delete file";
  std::string export_dump = "Export as text";
  std::string open_mode = "Open mode";
  std::string save_mode = "Save mode";
  std::string overwrite = "A calibration with this name already exists. Overwrite it?";
  std::string delete_question = "Delete the selected file";
  std::string select_file = "Select a file from the list";
  std::string fill_name = "Fill in manufacturer, model, cylinders and identifier";
  std::string missing_file = "The selected file does not exist";
  std::string bad_name = "Name fields may not hold / \\ _ .. < > : \" | ? * or control characters";
  std::string delete_failed = "The file could not be deleted";
  std::string all_manufacturers = "All manufacturers";
  std::string restore = "Restore reference calibration";
  std::string references = "Reference calibrations";
  std::string no_reference = "No reference calibration found";
  std::string reference_question = "Load the chosen reference calibration into the ECU?";
  std::string busy = "Another operation is in progress: try again in a moment";
  std::string archive_files = "Config Files  (*.qvd)|*.qvd|All Files  (*.*)|*.*";
  std::string text_files = "Text Files  (*.txt)|*.txt|All Files  (*.*)|*.*";
};

[[nodiscard]] ArchiveTexts ArchiveTextsFrom(const core::ClsLingue& lingue);

// FRM_KVXLoadSave without its window: the vehicle archive of the data
// folder in open or save mode. The controls' state is plain data the view
// shows; each button is a call that says whether the dialog closes. Saves
// and loads go through the calibration document, so through the session.
class FrmKvxLoadSave {
 public:
  explicit FrmKvxLoadSave(CalibrationDocument& document);

  // Opening the dialog: texts, manufacturer lists, the archive listing, the
  // reference list, and the name fields from the current file.
  void Open(int mode);
  void CaricaLingua();

  [[nodiscard]] int Mode() const { return mode_; }
  [[nodiscard]] const ArchiveTexts& Texts() const { return texts_; }
  [[nodiscard]] const std::vector<std::string>& Manufacturers() const { return manufacturers_; }
  // The filter's items: "all" first, then the manufacturers.
  [[nodiscard]] std::vector<std::string> FilterItems() const;
  [[nodiscard]] int Filter() const { return filter_; }
  // LstFile: the archive files the filter lets through.
  [[nodiscard]] const std::vector<std::string>& Files() const { return files_; }
  [[nodiscard]] int Selected() const { return selected_; }
  [[nodiscard]] const std::string& Note() const { return note_; }
  [[nodiscard]] const calib::ArchiveName& Name() const { return name_; }
  // CmbAlim: the reference calibrations' names.
  [[nodiscard]] std::vector<std::string> References() const;
  [[nodiscard]] int Reference() const { return reference_; }
  // Where the archive lives (ends with the separator).
  [[nodiscard]] const std::string& DataDir() const;

  // Field editing.
  void SetName(const calib::ArchiveName& name) { name_ = name; }
  void SetNote(std::string note) { note_ = std::move(note); }
  // CmbCostr2: 0 shows every file.
  void SetFilter(int index);
  // LstFile click: the file's note, and the four fields from its name.
  void SelectFile(int index);
  // CmbAlim click.
  void SelectReference(int index);

  // CmdOk: save under the four fields, or open the selected file. True when
  // the request is on its way (or the file written) and the dialog closes.
  bool CmdOk();
  // CmdCerca with the file the system dialog chose.
  bool CmdCerca(const std::string& path);
  // CmdSave / CmdRipristinaTutto and CmdApriTutto: switch the mode.
  void CmdSave();
  void CmdApriTutto();
  // CmdReset: loads the chosen reference calibration.
  bool CmdReset();
  // CmdCancelFile: deletes the selected file after a Yes/No question.
  void CmdCancelFile();
  // CmdExport to the file the system dialog chose.
  bool CmdExport(const std::string& path);

 private:
  void ListFiles();
  bool SaveAt(const std::string& path);
  bool OpenAt(const std::string& path);
  bool Accepted(CalibrationDocument::Started s);
  void Say(const std::string& text, platform::BoxKind kind) const;
  [[nodiscard]] bool Ask(const std::string& text) const;

  CalibrationDocument& document_;
  ArchiveTexts texts_;
  int mode_ = archive_mode::kOpen;
  std::vector<std::string> manufacturers_;
  int filter_ = 0;
  std::vector<std::string> files_;
  int selected_ = -1;
  calib::ArchiveName name_;
  std::string note_;
  std::vector<calib::ReferenceCalibration> references_;
  int reference_ = -1;
};

}  // namespace velmora::pages
