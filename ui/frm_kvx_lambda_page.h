#pragma once

#include <QWidget>
#include <array>

#include "pages/lambda_page.h"
#include "ui/window_registry.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace velmora::ui {

class BarWidget;
class CardFrame;
class EmulationGrid;

// The lambda probes and emulation page over a pages::FrmKvxLambda that does
// all the work: the probe and its wiring, the emulation switch, delay and
// levels, the emulation table with its axes, and the four probes live.
class FrmKvxLambdaPage final : public QWidget, public Captioned {
  Q_OBJECT
 public:
  explicit FrmKvxLambdaPage(pages::FrmKvxLambda& model, QWidget* parent = nullptr);

  void CaricaLingua() override;
  // Shows the model again.
  void Refresh();

  [[nodiscard]] pages::FrmKvxLambda& Model() { return model_; }
  [[nodiscard]] QComboBox* ProbeType() const { return probe_type_; }
  [[nodiscard]] QComboBox* Emulation() const { return emulation_; }
  [[nodiscard]] QComboBox* Filter() const { return filter_; }
  [[nodiscard]] QLineEdit* Level(std::size_t which) const { return levels_[which]; }
  [[nodiscard]] EmulationGrid* Grid() const { return grid_; }
  [[nodiscard]] BarWidget* Probe(std::size_t which) const { return probes_[which]; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void MakeControls();
  void LayOut();
  void ShowLive();
  void Step(bool up, bool shift);

  pages::FrmKvxLambda& model_;
  QLabel* title_;
  CardFrame* wiring_card_ = nullptr;
  CardFrame* emulation_card_ = nullptr;
  CardFrame* table_card_ = nullptr;
  CardFrame* live_card_ = nullptr;
  QComboBox* probe_type_ = nullptr;
  QComboBox* probe1_ = nullptr;
  QComboBox* probe2_ = nullptr;
  QComboBox* filter_ = nullptr;
  QComboBox* emulation_ = nullptr;
  QComboBox* delay_ = nullptr;
  std::array<QLineEdit*, 4> levels_{};
  std::array<QLabel*, 10> captions_{};
  EmulationGrid* grid_ = nullptr;
  QLabel* legend_ = nullptr;
  QLabel* step_note_ = nullptr;
  std::array<BarWidget*, 4> probes_{};
  QLabel* emulating_ = nullptr;
};

}  // namespace velmora::ui
