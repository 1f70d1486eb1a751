#pragma once

#include <QDialog>
#include <QString>
#include <functional>

#include "pages/frm_kvx_load_save.h"
#include "ui/window_registry.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace velmora::ui {

class CardFrame;

// The system file dialogs the archive, the File menu and the comparison
// use: `filter` is in Qt's form, `dir` is where it starts. An empty answer
// is a cancel. Tests replace it.
enum class FileDialog {
  kOpen,
  kSave,       // the dialog asks before a file is replaced
  kSaveAsked,  // the caller asks itself (the archive)
};
using FileChooser =
    std::function<QString(FileDialog kind, const QString& filter, const QString& dir)>;
[[nodiscard]] FileChooser SystemFileChooser(QWidget* parent);

// "Description (*.x)|*.x|..." pairs as a Qt file dialog filter.
[[nodiscard]] QString QtFilter(const std::string& pairs);

// The calibration archive (FRM_KVXLoadSave): the archive list with its
// manufacturer filter, the note of the chosen file, the four name fields,
// the reference calibrations, and the buttons. A thin view over
// pages::FrmKvxLoadSave: every click goes to the model, which shows its own
// questions and messages; the view shows the model again afterwards and
// closes when the model says so.
class FrmKvxLoadSaveDialog : public QDialog, public Captioned {
 public:
  FrmKvxLoadSaveDialog(pages::CalibrationDocument& document, int mode, QWidget* parent = nullptr);

  void CaricaLingua() override;
  void SetFileChooser(FileChooser chooser) { choose_ = std::move(chooser); }

  [[nodiscard]] pages::FrmKvxLoadSave& Model() { return model_; }
  [[nodiscard]] QListWidget* Files() const { return files_; }
  [[nodiscard]] QComboBox* Manufacturer() const { return manufacturer_; }
  [[nodiscard]] QLineEdit* ModelField() const { return model_field_; }
  [[nodiscard]] QLineEdit* Cylinders() const { return cylinders_; }
  [[nodiscard]] QLineEdit* Identifier() const { return identifier_; }
  [[nodiscard]] QPlainTextEdit* Note() const { return note_; }
  [[nodiscard]] QPushButton* OkButton() const { return ok_; }
  [[nodiscard]] QPushButton* DeleteButton() const { return delete_; }
  [[nodiscard]] QPushButton* ExportButton() const { return export_; }
  [[nodiscard]] QPushButton* ResetButton() const { return reset_; }

 private:
  void Build();
  void LayOut();
  [[nodiscard]] CardFrame* ArchiveCard();
  [[nodiscard]] CardFrame* VehicleCard();
  void Connect();
  void Act(const std::function<bool()>& handler);
  // The model's state into the widgets.
  void Refresh();
  // The widgets' name fields and note into the model.
  void TakeFields();
  void Close(bool accepted);

  pages::FrmKvxLoadSave model_;
  FileChooser choose_;
  bool refreshing_ = false;
  QLabel* mode_label_;
  QComboBox* filter_;
  QListWidget* files_;
  QComboBox* manufacturer_;
  QLineEdit* model_field_;
  QLineEdit* cylinders_;
  QLineEdit* identifier_;
  QPlainTextEdit* note_;
  QComboBox* references_;
  QPushButton* reset_;
  QPushButton* delete_;
  QPushButton* export_;
  QPushButton* browse_;
  QPushButton* open_mode_;
  QPushButton* save_mode_;
  QPushButton* ok_;
  QPushButton* cancel_;
  std::array<QLabel*, 7> captions_{};
};

}  // namespace velmora::ui
