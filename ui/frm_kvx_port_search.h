#pragma once

#include <QDialog>
#include <functional>

#include "core/dictionary.h"
#include "core/text_block.h"
#include "ui/window_registry.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace velmora::ui {

class ConnectionIcon;

// The search window, shown while the session looks for the ECU: a moving
// progress bar, the port being tried and a stop button.
class FrmKvxPortSearch : public QDialog, public Captioned {
  Q_OBJECT
 public:
  // `lingue` may be null (built-in texts); it is not owned.
  explicit FrmKvxPortSearch(const core::ClsLingue* lingue = nullptr, QWidget* parent = nullptr);

  void CaricaLingua() override;

  // Shows the window and starts the progress timer (TMR).
  void Start();
  // Stops the timer and hides the window.
  void Finish();
  // One timer step: the bar moves on and wraps at its end.
  void Tick();

  // The COM number being tried; below 0 hides the line.
  void SetPort(int com_number);
  // BUT_STOP, or closing the window: the window's owner ends the search.
  void SetOnStop(std::function<void()> on_stop) { on_stop_ = std::move(on_stop); }

  [[nodiscard]] int Progress() const;
  [[nodiscard]] bool Running() const;

 protected:
  void reject() override;

 private:
  [[nodiscard]] QString Text(int k, const char* fallback) const;
  void Stop();

  const core::ClsLingue* lingue_;
  core::TextBlock texts_;
  int port_ = -1;
  int ticks_ = 0;
  ConnectionIcon* icon_;
  QLabel* message_;
  QLabel* port_label_;
  QProgressBar* progress_;
  QPushButton* stop_;
  QTimer* timer_;
  std::function<void()> on_stop_;
};

}  // namespace velmora::ui
