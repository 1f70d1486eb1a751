#pragma once

#include <QString>
#include <QWidget>
#include <functional>

#include "acq/frm_replay.h"
#include "core/dictionary.h"
#include "ui/window_registry.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;

namespace velmora::ui {

class CardFrame;
class ReplayStrip;

// The log replay page: the recording to play, the play, play-at-speed and
// stop buttons with the pace, the step reached, where the answers went and
// the values they brought, over an acq::FrmReplay that does all the work.
// Its own timer (Timer1) ticks the model while it plays.
class FrmReplayPage final : public QWidget, public Captioned {
  Q_OBJECT
 public:
  explicit FrmReplayPage(acq::FrmReplay& model, const core::ClsLingue* lingue = nullptr,
                         QWidget* parent = nullptr);

  void CaricaLingua() override;
  void Refresh();
  // One tick of the page's timer (Timer1): the model plays what is due.
  void Tick();

  // How the page asks for the recording; empty for a cancelled dialog.
  std::function<QString()> choose_file;

  [[nodiscard]] acq::FrmReplay& Model() { return model_; }
  [[nodiscard]] QPushButton* Play() const { return play_; }
  [[nodiscard]] QPushButton* PlaySpeed() const { return play_speed_; }
  [[nodiscard]] QPushButton* Stop() const { return stop_; }
  [[nodiscard]] QPushButton* OpenButton() const { return open_; }
  [[nodiscard]] QSpinBox* Speed() const { return speed_; }
  [[nodiscard]] QTimer* Timer() const { return timer_; }
  [[nodiscard]] QLabel* StepLabel() const { return step_; }

 public slots:
  // For pictures of the page: a synthetic minute of recording, a part of it
  // already played.
  void PrepareScreenshot();

 private:
  void Open();
  void StartTimer(bool started);
  void LayOut();
  [[nodiscard]] QWidget* BuildPlayback();
  [[nodiscard]] QWidget* BuildResults();
  void ShowValues();

  acq::FrmReplay& model_;
  const core::ClsLingue* lingue_;
  QLabel* title_;
  QLabel* file_;
  QPushButton* open_;
  QPushButton* play_;
  QPushButton* play_speed_;
  QPushButton* stop_;
  QLabel* speed_label_;
  QSpinBox* speed_;
  QProgressBar* progress_;
  QLabel* step_;
  CardFrame* playback_card_;
  CardFrame* recording_card_;
  ReplayStrip* strip_;
  CardFrame* targets_card_;
  CardFrame* values_card_;
  QTableWidget* targets_;
  QTableWidget* values_;
  QTimer* timer_;
};

}  // namespace velmora::ui
