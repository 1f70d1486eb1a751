#pragma once

#include <QTimer>
#include <QWidget>
#include <array>

#include "core/dictionary.h"
#include "pages/frm_kvx_commutazione.h"
#include "ui/frm_compensa_page.h"
#include "ui/window_registry.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QSlider;
class QTableWidget;

namespace velmora::ui {

class CardFrame;

// FRM_KVXCommutazione: a thin view over pages::FrmKvxCommutazione. Cards
// for the switch-over, the ignition and the system, the temperature grid
// and the option bits. Choices go to the model, which sends them; the view
// shows the model again, each control in the colour of its mark.
class FrmKvxCommutazionePage final : public QWidget, public Captioned {
  Q_OBJECT
 public:
  // Neither is owned; `lingue` may be null (built-in texts).
  explicit FrmKvxCommutazionePage(pages::FrmKvxCommutazione& page,
                                  const core::ClsLingue* lingue = nullptr,
                                  QWidget* parent = nullptr);

  void CaricaLingua() override;
  void Refresh();

  [[nodiscard]] pages::FrmKvxCommutazione& Model() { return page_; }
  [[nodiscard]] QComboBox* Combo(int combo) const;
  [[nodiscard]] QLineEdit* SparkBox() const { return spark_; }
  [[nodiscard]] QSlider* BadBit() const { return bad_bit_; }
  [[nodiscard]] QCheckBox* Check(int row, int bit) const;
  [[nodiscard]] QTableWidget* TemperatureGrid() const { return grid_; }
  [[nodiscard]] const QTimer& RepeatTimer() const { return repeat_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  [[nodiscard]] CardFrame* ComboCard(std::initializer_list<int> combos, QGridLayout** rows);
  [[nodiscard]] CardFrame* GridCard();
  [[nodiscard]] CardFrame* OptionsCard();
  void Connect();
  void ShowCaptions();
  void ShowCombos();
  void ShowGrid();
  void TakeGridSelection();
  bool GridKey(QEvent* event);

  pages::FrmKvxCommutazione& page_;
  const core::ClsLingue* lingue_;
  QLabel* title_;
  std::array<QComboBox*, pages::sw_combo::kCount> combos_{};
  std::array<QLabel*, pages::sw_combo::kCount> labels_{};
  std::array<CardFrame*, 5> cards_{};
  QLabel* spark_label_;
  QLineEdit* spark_;  // TEXT_SPARK
  QLabel* bad_bit_label_;
  QSlider* bad_bit_;  // SldBadBit
  QLabel* bad_bit_value_;
  std::array<QLabel*, pages::sw_check::kRows> check_labels_{};
  std::array<std::array<QCheckBox*, pages::sw_check::kBits>, pages::sw_check::kRows> checks_{};
  QTableWidget* grid_;  // GrdTemp
  QLabel* grid_hint_;
  QLabel* sequence_ = nullptr;  // the injection sequence page's label
  QTimer repeat_;               // a held + or - steps again
  MarkLegend legend_;
};

}  // namespace velmora::ui
