#pragma once

#include <QWidget>
#include <array>
#include <memory>

#include "tuning/frm_seq_inj.h"
#include "ui/config_widgets.h"
#include "ui/page_view.h"
#include "ui/window_registry.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace velmora::ui {

// The injection sequence page over a tuning::FrmSeqInj: the sequence the ECU
// reports with its mode, the outputs by channel, one box per channel, the
// phase shifter, and the acquisition and reset buttons.
class FrmSeqInjPage final : public QWidget, public Captioned {
  Q_OBJECT
 public:
  explicit FrmSeqInjPage(tuning::FrmSeqInj& model, QWidget* parent = nullptr);

  void CaricaLingua() override;
  void Refresh();

  [[nodiscard]] QComboBox* Channel(int i) const { return channels_[static_cast<std::size_t>(i)]; }
  [[nodiscard]] QComboBox* PhaseShifter() const { return phase_; }
  [[nodiscard]] QPushButton* Acquire() const { return acquire_; }
  [[nodiscard]] QPushButton* Reset() const { return reset_; }
  [[nodiscard]] QPushButton* CloseButton() const { return close_; }
  [[nodiscard]] QCheckBox* Shifted() const { return shifted_; }
  [[nodiscard]] QLabel* Sequence() const { return sequence_; }
  [[nodiscard]] QLabel* Outputs() const { return outputs_; }

 private:
  void MakeControls();
  void LayOut();
  void ShowChannels();

  tuning::FrmSeqInj& model_;
  QLabel* title_;
  QLabel* sequence_ = nullptr;  // LblSequenza
  QLabel* outputs_ = nullptr;   // LblOutGas
  QLabel* status_ = nullptr;
  QCheckBox* shifted_ = nullptr;  // chkanticipato
  QComboBox* phase_ = nullptr;    // CMB_PhaseShifter
  QLabel* phase_label_ = nullptr;
  QPushButton* acquire_ = nullptr;
  QPushButton* reset_ = nullptr;
  QPushButton* close_ = nullptr;
  std::array<QComboBox*, tuning::sequence_field::kMaxChannels> channels_{};
  std::array<QLabel*, tuning::sequence_field::kMaxChannels> channel_labels_{};
  config_ui::FormCard sequence_card_;
  config_ui::FormCard outputs_card_;
  config_ui::FormCard channels_card_;
  config_ui::FormCard phase_card_;
};

// The page's model and view factories for the workstation's page table.
[[nodiscard]] std::unique_ptr<pages::PageModel> NewSeqInjPageModel(PageEnv& env, int code);
[[nodiscard]] PageView SeqInjView(const ViewEnv& env, pages::PageModel& model);

}  // namespace velmora::ui
