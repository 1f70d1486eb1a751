#pragma once

#include <QWidget>
#include <array>
#include <utility>
#include <vector>

#include "pages/gas_management_page.h"
#include "ui/card_frame.h"
#include "ui/config_widgets.h"
#include "ui/window_registry.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace velmora::ui {

// The gas management page over a pages::FrmKvxGestione: injectors, the two
// feeding-type windows, petrol contribution, the ECU's state, and the
// advanced frame (FRM_ADV) that CMDAdvanced shows or hides.
class FrmKvxGestionePage final : public QWidget, public Captioned {
  Q_OBJECT
 public:
  explicit FrmKvxGestionePage(pages::FrmKvxGestione& model, QWidget* parent = nullptr);

  void CaricaLingua() override;
  void Refresh();

  [[nodiscard]] pages::FrmKvxGestione& Model() { return model_; }
  [[nodiscard]] QComboBox* RecordCombo(int combo) const {
    return record_[static_cast<std::size_t>(combo)];
  }
  [[nodiscard]] QComboBox* WordCombo(int combo) const {
    return words_[static_cast<std::size_t>(combo)];
  }
  [[nodiscard]] QPushButton* HighOption(int i) const { return high_[static_cast<std::size_t>(i)]; }
  [[nodiscard]] QPushButton* Advanced() const { return advanced_; }
  [[nodiscard]] QWidget* AdvancedFrame() const { return advanced_card_.card; }
  [[nodiscard]] QPushButton* Sequence() const { return sequence_; }

 private:
  using Options = std::array<QPushButton*, pages::record_byte::kFeedingChoices>;
  void MakeControls();
  void LayOut();
  void AddOptions(config_ui::FormCard& card, Options& buttons, std::array<QLabel*, 3>& labels);
  void AddRecordRow(config_ui::FormCard& card, int combo, int text);
  void AddWordRow(config_ui::FormCard& card, int combo, int text);
  static void ShowOptions(const Options& buttons, int chosen, bool enabled);

  pages::FrmKvxGestione& model_;
  QLabel* title_;
  QPushButton* sequence_ = nullptr;
  QPushButton* advanced_ = nullptr;
  std::array<QComboBox*, pages::record_combo::kCount> record_{};
  std::array<QComboBox*, pages::word_combo::kCount> words_{};
  Options high_{};
  Options low_{};
  std::array<QLabel*, 3> high_labels_{};
  std::array<QLabel*, 3> low_labels_{};
  config_ui::FormCard injectors_card_;
  config_ui::FormCard high_card_;
  config_ui::FormCard low_card_;
  config_ui::FormCard contribution_card_;
  config_ui::FormCard state_card_;
  config_ui::FormCard advanced_card_;
  QLabel* fuel_ = nullptr;
  QLabel* rpm_ = nullptr;
  // Row captions with their dictionary text, and the record rows' captions.
  std::vector<std::pair<QLabel*, int>> captions_;
  std::array<QLabel*, pages::record_combo::kCount> record_captions_{};
};

}  // namespace velmora::ui
