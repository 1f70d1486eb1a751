#pragma once

#include <QWidget>
#include <array>

#include "pages/sensors_page.h"
#include "ui/config_widgets.h"
#include "ui/window_registry.h"

class QComboBox;
class QLabel;
class QPushButton;
class QScrollBar;

namespace velmora::ui {

class BarWidget;

// The sensors page over a pages::FrmKvxSensori: the gas-level sensor with
// its curve and readings in one frame, the temperature and pressure sensors
// with the end-of-gas rules in the other; CMD_SENSORI switches between them.
class FrmKvxSensoriPage final : public QWidget, public Captioned {
  Q_OBJECT
 public:
  explicit FrmKvxSensoriPage(pages::FrmKvxSensori& model, QWidget* parent = nullptr);

  void CaricaLingua() override;
  void Refresh();

  [[nodiscard]] pages::FrmKvxSensori& Model() { return model_; }
  [[nodiscard]] QComboBox* LevelType() const { return level_type_; }
  [[nodiscard]] QComboBox* EndPressure() const { return end_pressure_; }
  [[nodiscard]] QComboBox* MinTemp() const { return min_temp_; }
  [[nodiscard]] QPushButton* Switch() const { return switch_; }
  [[nodiscard]] QPushButton* Full() const { return full_; }
  [[nodiscard]] QWidget* LevelFrame() const { return level_frame_; }
  [[nodiscard]] QWidget* OtherFrames() const { return other_frames_; }
  [[nodiscard]] QLabel* Point(std::size_t i) const { return points_[i]; }

 private:
  void MakeControls();
  void MakeLevelFrame();
  void MakeOtherFrames();
  void ShowReadings();
  template <class Handler>
  [[nodiscard]] QComboBox* Combo(const char* name, Handler handler);

  pages::FrmKvxSensori& model_;
  QLabel* title_;
  QPushButton* switch_ = nullptr;
  QWidget* level_frame_ = nullptr;
  QWidget* other_frames_ = nullptr;
  config_ui::FormCard level_card_;
  config_ui::FormCard curve_card_;
  config_ui::FormCard readings_card_;
  config_ui::FormCard temp_card_;
  config_ui::FormCard pressure_card_;
  QComboBox* level_type_ = nullptr;
  QPushButton* defaults_ = nullptr;
  QPushButton* full_ = nullptr;
  QPushButton* empty_ = nullptr;
  QScrollBar* scroll_ = nullptr;
  std::array<QLabel*, pages::level_curve::kPoints> points_{};
  std::array<QLabel*, pages::level_curve::kPoints> point_captions_{};
  QLabel* filtered_ = nullptr;
  QLabel* unfiltered_ = nullptr;
  QLabel* level_ = nullptr;
  BarWidget* leds_ = nullptr;
  QComboBox* temp_sensor_ = nullptr;
  QComboBox* min_temp_ = nullptr;
  QComboBox* min_temp_delta_ = nullptr;
  QLabel* temperature_ = nullptr;
  QComboBox* pressure_sensor_ = nullptr;
  QComboBox* turbo_ = nullptr;
  QComboBox* end_of_gas_ = nullptr;
  QComboBox* end_pressure_ = nullptr;
  QComboBox* end_delay_ = nullptr;
  QLabel* pressure_ = nullptr;
  // Row captions, in the order the rows were made.
  std::vector<std::pair<QLabel*, pages::DictText>> captions_;
};

}  // namespace velmora::ui
