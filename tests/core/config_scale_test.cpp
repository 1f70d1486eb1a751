#include <gtest/gtest.h>

#include "core/config_scale.h"

namespace velmora::core {
namespace {

TEST(LeggiConfigScale, DefaultsWithoutKeys) {
  const auto cs = LeggiConfigScale({}, '.');
  EXPECT_EQ(cs.spark, 7000);
  EXPECT_EQ(cs.max_bad_bit, 15);
  EXPECT_EQ(cs.ascii_fallback, 32);
  EXPECT_EQ(cs.gen3_list1, std::vector<std::string>{"INJD100"});
  EXPECT_EQ(cs.gen3_list2, std::vector<std::string>{"AP"});
  EXPECT_EQ(cs.phase_shift_min, -5);
  EXPECT_EQ(cs.phase_shift_max, 50);
  EXPECT_EQ(cs.emu_min, -20);
  EXPECT_EQ(cs.emu_max, 20);
  ASSERT_EQ(cs.custom_labels.size(), 1u);
  EXPECT_FALSE(cs.injection_time_sum_us.has_value());
}

TEST(LeggiConfigScale, NumberedRecordsByPrefixExactCase) {
  const auto cs = LeggiConfigScale(
      {
          "[InjType_012]",
          " Rail Horizon ",
          "1800",
          "2200",
          "0",
          "0",
          "0",
          "0",
          "0",  //
          "[GasLevel_03]",
          "Resistive 90",
          "1",
          "10",
          "20",
          "30",
          "40",
          "50",
          "60",
          "255",
          "[Lambda_04]",
          "Wide 0-5V",
          "0",
          "1",
          "800",
          "200",
          "800",
          "200",  //
          "[SensTemp_01]",
          "NTC 4K7",
          "4700",  //
          "[injtype_013]",
          "ignored",
          "1",
          "2",
          "3",
          "4",
          "5",
          "6",
          "7",  // wrong case
          "[InjType_9]",
          "short id",  // not three digits
          "[Lambda_05]",
          "cut short",
          "1",  // end of file
      },
      '.');
  ASSERT_EQ(cs.injectors.size(), 1u);
  EXPECT_EQ(cs.injectors[0].id, 12);
  EXPECT_EQ(cs.injectors[0].name, "Rail Horizon");
  EXPECT_EQ(cs.injectors[0].params[1], 2200);
  ASSERT_EQ(cs.gas_levels.size(), 1u);
  EXPECT_EQ(cs.gas_levels[0].id, 3);
  EXPECT_EQ(cs.gas_levels[0].first, 1);
  EXPECT_EQ(cs.gas_levels[0].curve[5], 60);
  EXPECT_EQ(cs.gas_levels[0].last, 255);
  ASSERT_EQ(cs.lambdas.size(), 2u);
  EXPECT_EQ(cs.lambdas[0].params[2], 800);
  EXPECT_EQ(cs.lambdas[1].name, "cut short");
  EXPECT_EQ(cs.lambdas[1].params[0], 1);
  EXPECT_EQ(cs.lambdas[1].params[5], 0);  // missing values stay at their default
  ASSERT_EQ(cs.temp_sensors.size(), 1u);
  EXPECT_EQ(cs.temp_sensors[0].value, 4700);
}

TEST(LeggiConfigScale, ScalarsListsAndLabels) {
  const auto cs = LeggiConfigScale(
      {
          "[SPARK]",
          "6500",
          "[spark]",
          "1",  // case differs: not the key
          "[MAXBADBIT]",
          "x",  // not a number: default kept
          "[SommaTempoInj_usec]",
          "2,5",
          "[Tolleranza correttori]",
          "10,20,30| 5 , 6 ,7|1",
          "[PathDefault]",
          " 01 Custom.xsi ",
          "[ASCII]",
          "200|201",
          "65|66",
          "63",
          "[3rdGen]",
          "INJD100|INJD200",
          "AP|BQ",
          "[RangeSfasa]",
          "-10",
          "40",
          "[RangeEmu]",
          "-30",
          "[VisualizzazioneCustomStart]",
          "Gas|Benzina",
          "Pressure|NUL",
          "Lone",
          "[VisualizzazioneCustomEnd]",
      },
      ',');
  EXPECT_EQ(cs.spark, 6500);
  EXPECT_EQ(cs.max_bad_bit, 15);
  EXPECT_DOUBLE_EQ(cs.injection_time_sum_us.value(), 2.5);
  ASSERT_EQ(cs.tolerances.size(), 3u);
  EXPECT_EQ(cs.tolerances[1].values, (std::array<std::int32_t, 3>{5, 6, 7}));
  EXPECT_EQ(cs.tolerances[2].values, (std::array<std::int32_t, 3>{1, 0, 0}));
  EXPECT_EQ(cs.path_default, "01 Custom.xsi");
  EXPECT_EQ(cs.ascii_codes_a, (std::vector<std::int32_t>{200, 201}));
  EXPECT_EQ(cs.ascii_codes_b, (std::vector<std::int32_t>{65, 66}));
  EXPECT_EQ(cs.ascii_fallback, 63);
  EXPECT_EQ(cs.gen3_list1.size(), 2u);
  EXPECT_EQ(cs.gen3_list2[1], "BQ");
  EXPECT_EQ(cs.phase_shift_min, -10);
  EXPECT_EQ(cs.phase_shift_max, 40);
  EXPECT_EQ(cs.emu_min, -30);
  EXPECT_EQ(cs.emu_max, 20);
  ASSERT_EQ(cs.custom_labels.size(), 3u);
  EXPECT_EQ(cs.custom_labels[0], (std::pair<std::string, std::string>{"Gas", "Benzina"}));
  EXPECT_EQ(cs.custom_labels[1].second, "");  // "NUL" stands for an empty text
  EXPECT_EQ(cs.custom_labels[2].first, "Lone");
}

}  // namespace
}  // namespace velmora::core
