#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

namespace velmora::ui {

// FrmInitObd: the small window shown while the OBD link starts, with the
// protocol being tried. Its window menu cannot close it; CmdAnnulla does.
class FrmInitObd final : public QDialog {
  Q_OBJECT
 public:
  explicit FrmInitObd(QWidget* parent = nullptr);

  // `title` is the dictionary's first entry.
  void SetTexts(const QString& title, const QString& text, const QString& cancel);
  void ShowProtocol(const QString& protocol);
  void SetOnCancel(std::function<void()> cancel) { on_cancel_ = std::move(cancel); }
  [[nodiscard]] QPushButton* CancelButton() const { return cancel_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  QLabel* text_;
  QLabel* protocol_;
  QPushButton* cancel_;
  std::function<void()> on_cancel_;
};

}  // namespace velmora::ui
