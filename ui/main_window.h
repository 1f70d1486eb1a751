#pragma once

#include <QMainWindow>

#include "core/startup.h"
#include "ui/window_registry.h"

class QLabel;
class QListWidget;
class QStackedWidget;

namespace velmora::ui {

class FrmKvxLanguage;

// The workstation's main window: navigation on the left, pages on the right,
// connection and language in the status bar.
class MainWindow : public QMainWindow, public Captioned {
  Q_OBJECT
 public:
  explicit MainWindow(core::StartupState& state, QWidget* parent = nullptr);
  ~MainWindow() override;

  void CaricaLingua() override;
  [[nodiscard]] WindowRegistry& Windows() { return windows_; }
  [[nodiscard]] FrmKvxLanguage* LanguagePage() const { return language_page_; }
  // Shows the page with the given navigation index.
  void SelezioneScheda(int page);

 private:
  [[nodiscard]] QString Text(int k, const char* fallback) const;

  core::StartupState& state_;
  WindowRegistry windows_;
  int offset_ = 0;
  QListWidget* nav_;
  QStackedWidget* pages_;
  QLabel* title_label_;
  QLabel* version_label_;
  QLabel* language_label_;
  QLabel* status_language_;
  FrmKvxLanguage* language_page_;
};

}  // namespace velmora::ui
