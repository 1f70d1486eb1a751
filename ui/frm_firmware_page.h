#pragma once

#include <QString>
#include <QWidget>
#include <functional>

#include "firmware/frm_firmware.h"
#include "ui/window_registry.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace velmora::ui {

class CardFrame;

// The firmware page: the ECU's and the image's versions side by side with
// the verdict, the update's progress and result, and the three buttons. A
// thin view over firmware::FrmFirmware.
class FrmFirmwarePage : public QWidget, public Captioned {
  Q_OBJECT
 public:
  explicit FrmFirmwarePage(firmware::FrmFirmware& model, QWidget* parent = nullptr);

  void CaricaLingua() override;
  // Shows the model's state.
  void Refresh();

  // The image dialog; tests give a chooser of their own (an empty text is a
  // cancelled dialog).
  void SetImageChooser(std::function<QString()> chooser) { chooser_ = std::move(chooser); }

  [[nodiscard]] QPushButton* CmdSelect() const { return select_; }
  [[nodiscard]] QPushButton* CmdOk() const { return ok_; }
  [[nodiscard]] QPushButton* CmdCancel() const { return cancel_; }
  [[nodiscard]] QProgressBar* Bar() const { return bar_; }

 private:
  [[nodiscard]] CardFrame* VersionCard(QLabel*& version_caption, QLabel*& version,
                                       QLabel*& text_caption, QLabel*& text);
  [[nodiscard]] QWidget* ProgressCard();
  [[nodiscard]] QString ChooseImage();

  firmware::FrmFirmware& model_;
  QLabel* title_;
  CardFrame* ecu_card_;
  CardFrame* image_card_;
  CardFrame* progress_card_;
  QLabel* ecu_version_caption_;
  QLabel* ecu_version_;
  QLabel* ecu_text_caption_;
  QLabel* ecu_text_;
  QLabel* image_version_caption_;
  QLabel* image_version_;
  QLabel* image_text_caption_;
  QLabel* image_text_;
  QLabel* image_path_caption_;
  QLabel* image_path_;
  QLabel* image_note_;
  QLabel* verdict_;
  QLabel* step_;
  QLabel* indicator_;
  QProgressBar* bar_;
  QLabel* blocks_;
  QLabel* backup_;
  QLabel* message_;
  QPushButton* select_;
  QPushButton* ok_;
  QPushButton* cancel_;
  std::function<QString()> chooser_;
};

}  // namespace velmora::ui
