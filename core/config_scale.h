#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmora::core {

struct InjectorType {
  int id = 0;
  std::string name;
  std::array<std::int32_t, 7> params{};
};

struct GasLevelSensor {
  int id = 0;
  std::string name;
  std::int32_t first = 0;
  std::array<std::int32_t, 6> curve{};
  std::int32_t last = 0;
};

struct LambdaSensor {
  int id = 0;
  std::string name;
  std::array<std::int32_t, 6> params{};
};

struct TempSensor {
  int id = 0;
  std::string name;
  std::int32_t value = 0;
};

struct CorrectionTolerance {
  std::array<std::int32_t, 3> values{};
};

// The ECU model configuration of ConfigScale.ini.
struct ConfigScale {
  std::vector<InjectorType> injectors;
  std::vector<GasLevelSensor> gas_levels;
  std::vector<LambdaSensor> lambdas;
  std::vector<TempSensor> temp_sensors;
  std::optional<double> injection_time_sum_us;
  std::vector<CorrectionTolerance> tolerances;
  std::int32_t spark = 7000;
  std::int32_t max_bad_bit = 15;
  std::string path_default;  // file name only; the caller checks it exists
  std::vector<std::int32_t> ascii_codes_a;
  std::vector<std::int32_t> ascii_codes_b;
  std::int32_t ascii_fallback = 32;
  std::vector<std::string> gen3_list1{"INJD100"};
  std::vector<std::string> gen3_list2{"AP"};
  std::int32_t phase_shift_min = -5;
  std::int32_t phase_shift_max = 50;
  std::int32_t emu_min = -20;
  std::int32_t emu_max = 20;
  std::vector<std::pair<std::string, std::string>> custom_labels{{"", ""}};
  std::vector<std::string> warnings;
};

// Keys match exactly; the numbered keys by prefix, their identifier taken
// from the digits just before the closing bracket.
[[nodiscard]] ConfigScale LeggiConfigScale(const std::vector<std::string>& lines, char decimal_sep);

}  // namespace velmora::core
