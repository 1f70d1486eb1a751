#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>

#include "core/dictionary.h"
#include "pages/value_entry.h"
#include "platform/message_box.h"
#include "ui/window_registry.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace velmora::ui {

// The value entry dialog of the editable grids: the operation, the value,
// and the limits the calling grid set. A thin view over pages::FrmEnterValue;
// refusals go through the message box. Created once and reused.
//
// Without Q_OBJECT on purpose: it has no signals or slots, and a meta-object
// would tie every program that links the views to the map library.
class FrmEnterValue : public QDialog, public Captioned {
 public:
  // Neither `box` nor `lingue` (may be null: built-in texts) is owned.
  FrmEnterValue(platform::MessageBox& box, const core::ClsLingue* lingue = nullptr,
                std::string version_text = {}, QWidget* parent = nullptr);

  void CaricaLingua() override;

  // Stores the six limits and selects "add".
  void SistemaSoglie(const pages::Limits& limits);
  void SistemaSoglie(double max_add, double min_add, double max_percent, double min_percent,
                     double max_set, double min_set);
  // Selects an option (OptTipoOper): the caller preselects the last one used.
  void SelectOption(int option);

  // Before showing: clears the done flag, puts the starting text back and
  // selects it.
  void Prepare();
  // Shows the dialog modally and returns what it hands back (operation 0
  // when cancelled).
  [[nodiscard]] pages::EnteredValue Ask();
  // Called when the dialog is done, accepted or cancelled, for callers that
  // show it without blocking.
  void SetOnDone(std::function<void(const pages::EnteredValue&)> on_done) {
    on_done_ = std::move(on_done);
  }

  // Enter: validates the text; a refusal shows its message and keeps the
  // dialog open. True when the value was accepted.
  bool Confirm();

  [[nodiscard]] bool Done() const { return model_.Done(); }
  [[nodiscard]] const pages::EnteredValue& Result() const { return model_.Result(); }
  [[nodiscard]] const pages::FrmEnterValue& Model() const { return model_; }
  [[nodiscard]] QLineEdit* ValueBox() const { return value_; }
  [[nodiscard]] QRadioButton* Option(int option) const;
  [[nodiscard]] QPushButton* OkButton() const { return ok_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // Esc, the cancel button and the close box.
  void reject() override;

 private:
  void ShowLimits();
  void SelectText();

  platform::MessageBox& box_;
  const core::ClsLingue* lingue_;
  std::string version_text_;
  pages::FrmEnterValue model_;
  QGroupBox* operation_box_;
  QButtonGroup* options_;
  std::array<QRadioButton*, pages::value_option::kCount> option_buttons_{};
  QLabel* value_label_;
  QLineEdit* value_;
  QLabel* limits_;
  QLabel* hint_;
  QPushButton* ok_;
  QPushButton* cancel_;
  std::function<void(const pages::EnteredValue&)> on_done_;
};

}  // namespace velmora::ui
