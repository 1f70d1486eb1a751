#include "pages/dashboard_model.h"

namespace velmora::pages {

namespace {
constexpr double kPerThousand = 1000.0;
}  // namespace

double MeanInjectionMs(const std::function<int(int, int)>& value, int first_field) {
  long long sum = 0;
  int count = 0;
  for (int c = 0; c < dash_field::kCylinders; ++c) {
    const int us = value(dash_field::kEntry, first_field + c);
    if (us > 0) {
      sum += us;
      ++count;
    }
  }
  return count == 0 ? 0 : static_cast<double>(sum) / count / kPerThousand;
}

DashboardValues DashboardValuesFrom(const std::function<int(int, int)>& value) {
  DashboardValues v;
  if (!value) {
    return v;
  }
  auto f = [&](int field) { return value(dash_field::kEntry, field); };
  v.rpm = f(dash_field::kRpm);
  v.gas_pressure_bar = f(dash_field::kGasPressure) / kPerThousand;
  v.petrol_pressure_v = f(dash_field::kPetrolPressure) / kPerThousand;
  v.battery_v = f(dash_field::kBattery) / kPerThousand;
  for (std::size_t i = 0; i < v.lambda_mv.size(); ++i) {
    v.lambda_mv[i] = f(dash_field::kLambda[i]);
  }
  v.reducer_c = f(dash_field::kReducerTemperature);
  v.gas_c = f(dash_field::kGasTemperature);
  v.level_percent = f(dash_field::kLevelPercent);
  v.petrol_ms = MeanInjectionMs(value, dash_field::kPetrolTimeFirst);
  v.gas_ms = MeanInjectionMs(value, dash_field::kGasTimeFirst);
  v.on_gas = f(dash_field::kFuel) != 0;
  v.switch_phase = f(dash_field::kSwitchPhase);
  v.engine_steady = (f(dash_field::kStatus) & dash_field::kEngineConditionBit) != 0;
  return v;
}

void DashboardModel::Read() {
  if (table_.LastAnswer(dash_field::kEntry).empty()) {
    values_.reset();
    return;
  }
  values_ = DashboardValuesFrom([this](int entry, int field) {
    return entry < 0 || field < 0 ? 0
                                  : static_cast<int>(table_.Shown(static_cast<std::size_t>(entry),
                                                                  static_cast<std::size_t>(field)));
  });
}

}  // namespace velmora::pages
