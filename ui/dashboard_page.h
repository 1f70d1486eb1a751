#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "core/dictionary.h"
#include "pages/dashboard_model.h"
#include "ui/window_registry.h"

namespace velmora::ui {

// The page's model and its readings live in pages/.
using pages::DashboardValues;
using pages::DashboardValuesFrom;
namespace switch_phase = pages::switch_phase;

class BarWidget;
class CardFrame;
class GaugeWidget;
class StatusPanel;

// Texts of the dashboard, relative to its marker. Without the block in the
// dictionary the page keeps its built-in English texts.
namespace dashboard_text {
inline constexpr const char* kMarker = "[Frm_Dashboard]";
inline constexpr int kRpm = 1;
inline constexpr int kGasPressure = 2;
inline constexpr int kPetrolPressure = 3;
inline constexpr int kReducerTemperature = 4;
inline constexpr int kGasTemperature = 5;
inline constexpr int kLambdaProbes = 6;
inline constexpr int kInjectionTimes = 7;
inline constexpr int kPetrol = 8;
inline constexpr int kGas = 9;
inline constexpr int kFuelLevel = 10;
inline constexpr int kEngineStatus = 11;
inline constexpr int kFuelInUse = 12;
inline constexpr int kSwitchOver = 13;
inline constexpr int kEngineCondition = 14;
inline constexpr int kBattery = 15;
inline constexpr int kSwitching = 16;
inline constexpr int kSteady = 17;
inline constexpr int kNotSteady = 18;
inline constexpr int kProbeFirst = 19;  // four texts: 1 and 2 before, 1 and 2 after
inline constexpr int kNoData = 23;
inline constexpr int kCount = 24;
}  // namespace dashboard_text

// The live dashboard: round gauges for engine speed, pressures and
// temperatures; bars for the lambda probes, the injection times and the fuel
// level; the engine status. The window refreshes it from its UI timer.
class DashboardPage : public QWidget, public Captioned {
  Q_OBJECT
 public:
  // `lingue` may be null (built-in texts); it is not owned.
  explicit DashboardPage(const core::ClsLingue* lingue = nullptr, QWidget* parent = nullptr);

  void CaricaLingua() override;

  void SetValues(const DashboardValues& values);
  // Reads the live record through `value(entry, field)`.
  void Refresh(const std::function<int(int entry, int field)>& value);
  // No live values (disconnected before any reading): every instrument
  // shows a dash.
  void Clear();

  [[nodiscard]] GaugeWidget* RpmGauge() const { return rpm_; }

 private:
  // Scales, units and warning bands of the instruments.
  void SetUpGauges();
  void SetUpBars();
  void LayOut();
  [[nodiscard]] QString Text(int k) const;
  void ShowStatus();

  const core::ClsLingue* lingue_;
  int offset_ = 0;
  GaugeWidget* rpm_;
  GaugeWidget* gas_pressure_;
  GaugeWidget* petrol_pressure_;
  GaugeWidget* reducer_;
  GaugeWidget* gas_temperature_;
  CardFrame* lambda_card_;
  std::array<BarWidget*, 4> lambda_{};
  CardFrame* injection_card_;
  BarWidget* petrol_time_;
  BarWidget* gas_time_;
  BarWidget* level_;
  StatusPanel* status_;
  DashboardValues last_{};
  bool has_values_ = false;
};

}  // namespace velmora::ui
