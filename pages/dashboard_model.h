#pragma once

#include <array>
#include <functional>
#include <optional>

#include "link/message_table.h"
#include "pages/page_registry.h"

namespace velmora::pages {

// Where the dashboard's readings sit in the main live record.
namespace dash_field {
inline constexpr int kEntry = 1;
inline constexpr int kFuel = 1;  // 0 petrol, 1 gas
inline constexpr int kSwitchPhase = 2;
inline constexpr int kPetrolTimeFirst = 7;  // one word per cylinder, us
inline constexpr int kGasTimeFirst = 15;
inline constexpr int kCylinders = 8;
inline constexpr int kRpm = 32;                                  // already worked out into rpm
inline constexpr int kGasPressure = 33;                          // mbar
inline constexpr int kPetrolPressure = 34;                       // sensor, mV
inline constexpr int kBattery = 35;                              // mV
inline constexpr std::array<int, 4> kLambda = {36, 37, 39, 40};  // mV
inline constexpr int kStatus = 38;
inline constexpr int kEngineConditionBit = 1;
inline constexpr int kReducerTemperature = 43;  // degrees C
inline constexpr int kGasTemperature = 44;      // degrees C
inline constexpr int kLevelPercent = 46;
}  // namespace dash_field

// Switch-over phases of the live record.
namespace switch_phase {
inline constexpr int kPetrol = 0;
inline constexpr int kSwitching = 1;
inline constexpr int kGas = 2;
}  // namespace switch_phase

// What the dashboard shows, in display units.
struct DashboardValues {
  double rpm = 0;
  double gas_pressure_bar = 0;
  double petrol_pressure_v = 0;
  double reducer_c = 0;
  double gas_c = 0;
  std::array<double, 4> lambda_mv{};  // probes 1, 2 before the catalyst, 1, 2 after
  double petrol_ms = 0;               // mean over the cylinders that inject
  double gas_ms = 0;
  double level_percent = 0;
  double battery_v = 0;
  bool on_gas = false;
  int switch_phase = switch_phase::kPetrol;
  bool engine_steady = false;
};

// Reads the dashboard's fields through `value(entry, field)`.
[[nodiscard]] DashboardValues DashboardValuesFrom(const std::function<int(int, int)>& value);

// The mean of the cylinders' injection times that are above zero, in ms;
// 0 when no cylinder injects.
[[nodiscard]] double MeanInjectionMs(const std::function<int(int, int)>& value, int first_field);

// The dashboard page: the main live record in display units. The values
// stay as last read while the ECU is away.
class DashboardModel final : public PageModel {
 public:
  explicit DashboardModel(const link::MessageTable& table) : table_(table) {}

  void Shown() override { Read(); }
  void LiveTick() override { Read(); }
  void Refresh() override { Read(); }

  // None until the live record has been read: the instruments show dashes.
  [[nodiscard]] const std::optional<DashboardValues>& Values() const { return values_; }

 private:
  void Read();

  const link::MessageTable& table_;
  std::optional<DashboardValues> values_;
};

}  // namespace velmora::pages
