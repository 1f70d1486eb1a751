#include <gtest/gtest.h>

#include "core/config_scale.h"
#include "core/text.h"

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
  // Wrong case, an identifier that is not three digits, and a record cut
  // short by the end of the file.
  const auto cs =
      LeggiConfigScale(Split("[InjType_012]\n Rail Horizon \n1800\n2200\n0\n0\n0\n0\n0\n"
                             "[GasLevel_03]\nResistive 90\n1\n10\n20\n30\n40\n50\n60\n255\n"
                             "[Lambda_04]\nWide 0-5V\n0\n1\n800\n200\n800\n200\n"
                             "[SensTemp_01]\nNTC 4K7\n4700\n"
                             "[injtype_013]\nignored\n1\n2\n3\n4\n5\n6\n7\n"
                             "[InjType_9]\nshort id\n"
                             "[Lambda_05]\ncut short\n1",
                             '\n'),
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
  // "[spark]" differs in case and is not the key; "x" is not a number and
  // keeps the default.
  const auto cs = LeggiConfigScale(
      Split("[SPARK]\n6500\n[spark]\n1\n[MAXBADBIT]\nx\n[SommaTempoInj_usec]\n2,5\n"
            "[Tolleranza correttori]\n10,20,30| 5 , 6 ,7|1\n[PathDefault]\n 01 Custom.xsi \n"
            "[ASCII]\n200|201\n65|66\n63\n[3rdGen]\nINJD100|INJD200\nAP|BQ\n"
            "[RangeSfasa]\n-10\n40\n[RangeEmu]\n-30\n"
            "[VisualizzazioneCustomStart]\nGas|Benzina\nPressure|NUL\nLone\n"
            "[VisualizzazioneCustomEnd]",
            '\n'),
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
