#pragma once

#include <QWidget>
#include <functional>

#include "tuning/frm_autotuning.h"
#include "ui/window_registry.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;
class QTableWidget;

namespace velmora::ui {

class BarWidget;
class CardFrame;

// The auto-tuning page: the step and its progress, the instruction in large
// type, the live engine values, the injection times with the cylinder being
// tuned, the sample grids, and Start / Confirm / Cancel. A thin view over
// tuning::FrmAutoTuning.
class FrmAutoTuningPage : public QWidget, public Captioned {
  Q_OBJECT
 public:
  explicit FrmAutoTuningPage(tuning::FrmAutoTuning& model, QWidget* parent = nullptr);

  void CaricaLingua() override;
  // Shows the model's state.
  void Refresh();

  // For a picture of the page in the middle of a run: starts a run, calls
  // `grab` once the run is under way (sampling, or after `wait_ms` at the
  // latest), cancels it and returns when it has ended or never began.
  // Without a run to start it grabs the page as it is. `grab`'s answer.
  bool CaptureMidRun(const std::function<bool()>& grab, int wait_ms);

  [[nodiscard]] QPushButton* CmdCalStart() const { return start_; }
  [[nodiscard]] QPushButton* CmdCalOk() const { return ok_; }
  [[nodiscard]] QPushButton* CmdCalCancel() const { return cancel_; }
  [[nodiscard]] QProgressBar* Progress() const { return progress_; }
  [[nodiscard]] QTableWidget* PetrolGrid() const { return petrol_grid_; }
  [[nodiscard]] QTableWidget* GasGrid() const { return gas_grid_; }

 private:
  [[nodiscard]] CardFrame* StatusCard();
  [[nodiscard]] CardFrame* LiveCard();
  [[nodiscard]] CardFrame* InjectionCard();
  [[nodiscard]] CardFrame* SamplesCard();
  void ShowLive();
  void ShowShapes();
  void ShowStatusColour();

  tuning::FrmAutoTuning& model_;
  QLabel* title_;
  CardFrame* status_card_ = nullptr;
  CardFrame* live_card_ = nullptr;
  CardFrame* injection_card_ = nullptr;
  CardFrame* samples_card_ = nullptr;
  QLabel* step_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* message_ = nullptr;
  QLabel* status_ = nullptr;
  BarWidget* rpm_ = nullptr;
  BarWidget* reducer_ = nullptr;
  BarWidget* pressure_ = nullptr;
  QLabel* petrol_caption_ = nullptr;
  QLabel* petrol_ = nullptr;
  QLabel* petrol_shape_ = nullptr;
  QLabel* gas_caption_ = nullptr;
  QLabel* gas_ = nullptr;
  QLabel* gas_shape_ = nullptr;
  QLabel* cylinder_ = nullptr;
  QLabel* type_caption_ = nullptr;
  QComboBox* type_ = nullptr;
  QLabel* nozzle_caption_ = nullptr;
  QSlider* nozzle_ = nullptr;
  QLabel* nozzle_value_ = nullptr;
  QTableWidget* petrol_grid_ = nullptr;
  QTableWidget* gas_grid_ = nullptr;
  QPushButton* start_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace velmora::ui
