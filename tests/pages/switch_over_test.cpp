// The switch-over page over a fake session: the rpm conversion and its
// display, the option bits, the spark setting sent only when typing is
// finished, the temperature grid's keys and limits, the cylinder request
// and the calibration list.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/files.h"
#include "pages/frm_kvx_commutazione.h"
#include "session/request_codes.h"
#include "tests/pages/page_fakes.h"

namespace velmora::pages {
namespace {

namespace rq = session::request;
using test::PageRig;

// Block 3 of a 4-coil, 4-cylinder engine on the " x 1" rpm signal, the
// dictionary's switch-over speeds.
struct Rig {
  explicit Rig(const std::string& keys = {}) {
    EXPECT_TRUE(core::WriteFileAtomic(
        r.dictionary.dir.File("diz.diz"),
        "###\r\n#English&0\r\nTitle\r\n[Rpm di commutazione]\r\n0 rpm|1500 rpm|2000 rpm|2500 "
        "rpm\r\n" +
            keys));
    r.dictionary.lingue.LoadDizionario();
    r.table.SetValue(3, sw_word::kCoils, 4);
    r.table.SetValue(3, sw_word::kCylinders, 4);
    r.table.SetValue(3, sw_word::kFactor, 1);
    page = std::make_unique<FrmKvxCommutazione>(r.env);
  }
  std::int32_t Listed(std::size_t entry, std::int32_t field) const {
    for (const auto& rec : r.session.lists.Of(entry)) {
      if (rec.field == field) {
        return rec.value;
      }
    }
    return -1;
  }
  PageRig r;
  std::unique_ptr<FrmKvxCommutazione> page;
};

TEST(SwitchOver, RpmConversionGivesBothPeriods) {
  EXPECT_EQ(RpmConversion(2000, 4, 4, 1), (SpeedWords{7507, 7507}));
  EXPECT_EQ(RpmConversion(2000, 4, 4, 2), (SpeedWords{7507, 3753}));
  EXPECT_EQ(RpmConversion(0, 4, 4, 1), (SpeedWords{65535, 65535}));
  // Cylinders 0, or a layout of 9, make A = 1.
  EXPECT_EQ(RpmConversion(2000, 4, 0, 1).period, 0);
  EXPECT_EQ(RpmConversion(2000, 9, 4, 1).period, 0);
}

TEST(SwitchOver, SpeedChoiceListsBlock3AndShowsTheReadBack) {
  Rig rig;
  FrmKvxCommutazione& p = *rig.page;
  ASSERT_EQ(p.Controls().combos[sw_combo::kSwtchRpm].items.size(), 4u);
  p.ComboClick(sw_combo::kSwtchRpm, 2);  // 2000 rpm
  EXPECT_EQ(rig.Listed(3, 3), 7507);
  EXPECT_EQ(rig.Listed(3, 35), 7507);
  EXPECT_EQ(rig.r.session.posted, (std::vector<int>{rq::kEntry3List}));
  EXPECT_EQ(p.Controls().combos[sw_combo::kSwtchRpm].mark, Mark::kPending);
  // The session applied the list and read block 3 back.
  rig.r.table.SetValue(3, 3, 7507);
  rig.r.table.SetValue(3, 35, 7507);
  rig.r.session.lists.ClearAll();
  rig.r.session.Done();
  p.LiveTick();
  EXPECT_EQ(p.Controls().combos[sw_combo::kSwtchRpm].mark, Mark::kNone);
  EXPECT_EQ(p.Controls().combos[sw_combo::kSwtchRpm].index, 2);

  // Item 0 gives 65535 in both words.
  p.ComboClick(sw_combo::kSwtchRpm, 0);
  EXPECT_EQ(rig.Listed(3, 3), 65535);
  EXPECT_EQ(rig.Listed(3, 35), 65535);
  // The ECU did not take it: the choice stays, marked failed.
  rig.r.session.Done();
  p.LiveTick();
  EXPECT_EQ(p.Controls().combos[sw_combo::kSwtchRpm].mark, Mark::kFailed);
  EXPECT_EQ(p.Controls().combos[sw_combo::kSwtchRpm].index, 0);

  // A period of 0 shows no speed rather than dividing by it.
  rig.r.table.SetValue(3, 3, 0);
  p.CalibrationRead();
  EXPECT_EQ(p.Controls().combos[sw_combo::kSwtchRpm].index, -1);
}

// One choice on a fresh page: the records listed and the request posted.
struct Choice {
  int combo;
  int index;
  int request;
  std::size_t entry;
  std::int32_t field;
  std::int32_t mode;
  std::int32_t value;
};

TEST(SwitchOver, EachKindOfControlWritesItsWord) {
  const std::string keys =
      "[Forza commutazione s]\r\nOff|5 s|10 s\r\n[Temperatura di commutazione]\r\n30 "
      "°C|40 °C\r\n";
  const Choice choices[] = {
      {sw_combo::kSwtchForce, 2, rq::kEntry3List, 3, 37, 0, 10000},
      {sw_combo::kSwtchForce, 0, rq::kEntry3List, 3, 37, 0, 0},
      {sw_combo::kSwtchTemp, 1, rq::kSwitchTemperature, 3, 33, 4, 1},
      {sw_combo::kSwtchTemp, 1, rq::kSwitchTemperature, 3, 2, 0, 40},
      {sw_combo::kStartStop, 1, rq::kEntry15List, 15, 5, 128, 1},
      {sw_combo::kSogliaTensRpm, 10, rq::kEntry15List, 15, 87, 0, 10},
      {sw_combo::kSpark, 1, rq::kEntry3List, 3, 49, 8, 1},
      {sw_combo::kSpark, 1, rq::kEntry3List, 3, 44, 0, 7000},  // the [SPARK] default
      {sw_combo::kFattorex1x2, 1, rq::kEntry3List, 3, 42, 0, 2},
  };
  for (const Choice& c : choices) {
    Rig rig(keys);
    rig.page->ComboClick(c.combo, c.index);
    EXPECT_EQ(rig.r.session.posted, std::vector<int>{c.request}) << c.combo;
    bool found = false;
    for (const auto& rec : rig.r.session.lists.Of(c.entry)) {
      found = found || (rec.field == c.field && rec.mode == c.mode && rec.value == c.value);
    }
    EXPECT_TRUE(found) << "combo " << c.combo << " field " << c.field;
  }
  // The built-in sensitivity list: 35 steps shown in millivolts.
  Rig rig(keys);
  const SwitchCombo& s = rig.page->Controls().combos[sw_combo::kSogliaTensRpm];
  ASSERT_EQ(s.items.size(), 35u);
  EXPECT_EQ(s.items[1], "137 mV");
  // And the other way: the ECU's words select the items.
  rig.r.table.SetValue(3, 37, 5000);
  rig.r.table.SetValue(15, 5, 128);
  rig.r.table.SetValue(15, 87, 34);
  rig.page->CalibrationRead();
  const auto& combos = rig.page->Controls().combos;
  EXPECT_EQ(combos[sw_combo::kSwtchForce].index, 1);
  EXPECT_EQ(combos[sw_combo::kStartStop].index, 1);
  EXPECT_EQ(combos[sw_combo::kSogliaTensRpm].index, 34);
}

TEST(SwitchOver, OptionBitsAndBusySlot) {
  Rig rig;
  FrmKvxCommutazione& p = *rig.page;
  p.CheckClick(sw_check::kCheck2, 3, true);
  const auto rec = rig.r.session.lists.Of(3).at(0);
  EXPECT_EQ(rec.field, 33);
  EXPECT_EQ(rec.mode, 8);
  EXPECT_EQ(rec.value, 1);
  // Another request pending: the click is ignored and put back.
  p.CheckClick(sw_check::kCheck3, 1, true);
  EXPECT_TRUE(rig.r.session.lists.Of(2).empty());
  rig.r.session.Done();
  rig.r.session.lists.ClearAll();
  p.LiveTick();
  EXPECT_FALSE(p.Controls().checks[sw_check::kCheck3].checked[1]);
  p.CheckClick(sw_check::kCheck2, 3, false);
  EXPECT_EQ(rig.r.session.lists.Of(3).at(0).value, 0);
}

TEST(SwitchOver, SparkIsSentWhenTypingIsFinished) {
  Rig rig;
  FrmKvxCommutazione& p = *rig.page;
  p.SparkTyped("6");
  p.SparkTyped("65");
  p.SparkTyped("6500");
  EXPECT_TRUE(rig.r.session.posted.empty());
  EXPECT_EQ(p.Controls().spark_mark, Mark::kPending);
  p.SparkCommit();
  EXPECT_EQ(rig.Listed(3, 44), 6500);
  EXPECT_EQ(rig.r.session.posted.size(), 1u);
  p.SparkCommit();  // leaving the box afterwards sends nothing more
  EXPECT_EQ(rig.r.session.posted.size(), 1u);
  rig.r.session.Done();
  rig.r.session.lists.ClearAll();
  p.SparkTyped("");
  p.SparkCommit();
  EXPECT_EQ(rig.r.session.posted.size(), 1u);
  EXPECT_EQ(p.Controls().spark_mark, Mark::kNone);
}

TEST(SwitchOver, TemperatureGridStepsWithinItsColumnsAndIsWrittenWhole) {
  Rig rig;
  rig.r.table.SetValue(delay_grid::kEntry, 8, 175);  // first delay, 0..180 column
  rig.page->CalibrationRead();
  FrmKvxCommutazione& p = *rig.page;
  p.GridSelect({0, delay_grid::kDelay, 0, delay_grid::kDelay});
  EXPECT_TRUE(p.GridKeyDown(delay_grid::kKeyAdd, true));
  EXPECT_EQ(p.Grid().Value(0, delay_grid::kDelay), 180);
  p.GridRepeat();
  p.GridRepeat();
  EXPECT_EQ(p.Grid().Value(0, delay_grid::kDelay), 180);
  EXPECT_TRUE(rig.r.session.posted.empty());  // not while the key is held
  p.GridKeyUp();
  EXPECT_EQ(rig.r.session.posted, (std::vector<int>{rq::kRitCom}));
  EXPECT_EQ(rig.r.table.Value(delay_grid::kEntry, 8), 180);
  EXPECT_TRUE(rig.r.requests.Find(rq::kRitCom)->run());
  EXPECT_EQ(rig.r.session.written.back(), (std::pair<std::size_t, std::uint8_t>{6, 0x3D}));
  EXPECT_EQ(p.Grid().MarkOf(0, delay_grid::kDelay), Mark::kNone);
  // The temperature column stops at 120; the value entry sets through the
  // dialog's limits, then the column's.
  rig.r.session.Done();
  p.GridSelect({1, delay_grid::kTemperature, 1, delay_grid::kTemperature});
  rig.r.window.answers.push_back({value_op::kSet, 127});
  p.GridEnter();
  EXPECT_EQ(p.Grid().Value(1, delay_grid::kTemperature), 120);
  EXPECT_EQ(rig.r.window.asked_limits.back().set.min, -127);
}

TEST(SwitchOver, TemperatureGridKeepsItsLimitsAndMarksAFailedWrite) {
  Rig rig;
  FrmKvxCommutazione& p = *rig.page;
  p.GridSelect({0, delay_grid::kTemperature, 1, delay_grid::kTemperature});
  // Minus at 0 changes nothing, so nothing is sent.
  EXPECT_TRUE(p.GridKeyDown(delay_grid::kKeySubtractPad, false));
  p.GridKeyUp();
  EXPECT_TRUE(rig.r.session.posted.empty());
  EXPECT_FALSE(p.GridKeyDown(65, false));  // not a step key
  // Plus steps the whole selection; the write fails and both cells say so.
  p.GridKeyDown(delay_grid::kKeyAdd, false);
  p.GridKeyUp();
  rig.r.session.exchange_ok = false;
  EXPECT_FALSE(rig.r.requests.Find(rq::kRitCom)->run());
  EXPECT_EQ(p.Grid().Value(1, delay_grid::kTemperature), 1);
  EXPECT_EQ(p.Grid().MarkOf(1, delay_grid::kTemperature), Mark::kFailed);
  EXPECT_NE(p.GridTip(1, delay_grid::kTemperature).find("Not taken by the ECU"), std::string::npos);
  EXPECT_EQ(p.Grid().MarkOf(2, delay_grid::kTemperature), Mark::kNone);
}

TEST(SwitchOver, InjectorTypeBadBitAndSparkRange) {
  Rig rig;
  std::filesystem::create_directories(
      std::filesystem::path(rig.r.paths.config_scale).parent_path());
  ASSERT_TRUE(core::WriteFileAtomic(rig.r.paths.config_scale,
                                    "[InjType_003]\r\nFast\r\n1500\r\n1600\r\n0\r\n0\r\n0\r\n0\r\n"
                                    "0\r\n[MAXBADBIT]\r\n40\r\n"));
  FrmKvxCommutazione p(rig.r.env);
  EXPECT_EQ(p.Controls().bad_bit_max, 40);
  p.ComboClick(sw_combo::kTipoInj, 0);
  EXPECT_EQ(rig.r.session.posted, std::vector<int>{rq::kEntry3And15});
  EXPECT_EQ(rig.Listed(3, 4), 3);      // the record's identifier
  EXPECT_EQ(rig.Listed(3, 36), 200);   // 1600 us in 8 us steps
  EXPECT_EQ(rig.Listed(15, 0), 1500);  // the gas injector dead time
  EXPECT_NE(p.ComboTip(sw_combo::kTipoInj).find("3.36"), std::string::npos);
  rig.r.session.Done();
  rig.r.session.lists.ClearAll();
  p.BadBitChanged(12);
  EXPECT_EQ(rig.Listed(3, 47), 12);
  rig.r.session.Done();
  rig.r.session.lists.ClearAll();
  // A number the word cannot hold is refused at once, not sent.
  p.SparkTyped("70000");
  p.SparkCommit();
  EXPECT_EQ(rig.r.session.posted.size(), 2u);
  EXPECT_EQ(p.Controls().spark_mark, Mark::kFailed);
}

TEST(SwitchOver, CylindersRewriteBlocks3And15) {
  Rig rig;
  FrmKvxCommutazione& p = *rig.page;
  p.ComboClick(sw_combo::kNumCilindri, 5);  // 6 cylinders
  EXPECT_EQ(rig.r.session.posted, (std::vector<int>{rq::kCylinders}));
  EXPECT_EQ(rig.Listed(3, 1), 6);
  EXPECT_EQ(rig.Listed(3, 16), 1);  // cylinder 1
  EXPECT_EQ(rig.Listed(3, 11), 1);  // cylinder 6
  EXPECT_EQ(rig.Listed(3, 10), 0);  // cylinder 7
  EXPECT_EQ(rig.Listed(15, 6 + 7), 7);
  EXPECT_EQ(rig.Listed(15, 15 + 5), 3);
  EXPECT_EQ(rig.Listed(15, 15 + 6), 0);
  EXPECT_TRUE(rig.r.requests.Find(rq::kCylinders)->run());
  EXPECT_EQ(rig.r.session.applied, (std::vector<std::size_t>{3, 15}));
}

TEST(SwitchOver, CalibrationListChoosesAndLoadsAfterTheQuestion) {
  PageRig r;
  // Block 6 with its system identifier (field 47) at data byte 52.
  std::vector<core::MessageEntry> entries(22);
  entries[15].fields.assign(48, core::FieldSpec{"UB", 6, 1});
  entries[15].fields[47].position = 58;
  r.table = link::MessageTable(std::move(entries));
  const std::string lng = r.paths.lng;
  std::filesystem::create_directories(lng);
  for (const auto& [name, id] : {std::pair{"Petrol 4cyl", "01"}, std::pair{"Turbo 6cyl", "07"}}) {
    std::string frame = "4201746E00" + std::string(104, '0') + id + std::string(120, '0');
    ASSERT_TRUE(core::WriteFileAtomic(lng + "/" + name + ".xsi", "[BLK_6]\r\n" + frame + "\r\n"));
  }
  r.table.SetValue(15, 47, 7);
  FrmKvxCommutazione p(r.env);
  const SwitchCombo& list = p.Controls().combos[sw_combo::kConfSistema];
  ASSERT_EQ(list.items.size(), 2u);
  EXPECT_EQ(list.index, 1);
  EXPECT_EQ(r.session.ChosenCalibration(), "Turbo 6cyl");

  r.box.answers.push_back(false);
  p.ComboClick(sw_combo::kConfSistema, 0);
  EXPECT_TRUE(r.session.posted.empty());
  p.ComboClick(sw_combo::kConfSistema, 0);
  EXPECT_EQ(r.session.posted, (std::vector<int>{rq::kLoadAll}));
  EXPECT_NE(r.session.files.back().find("Petrol 4cyl.xsi"), std::string::npos);
  EXPECT_EQ(r.session.ChosenCalibration(), "Petrol 4cyl");
}

}  // namespace
}  // namespace velmora::pages
