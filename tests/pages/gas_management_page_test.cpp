// The gas management page's model: the parameter record's bytes and the
// write-list words, each with its scaling and request.
#include "pages/gas_management_page.h"

#include <gtest/gtest.h>

#include <tuple>

#include "tests/pages/config_rig.h"

namespace velmora::pages {
namespace {

using Rec = std::tuple<std::int32_t, std::int32_t, std::int32_t>;
namespace req = session::request;

std::vector<Rec> Records(const std::vector<session::WriteRecord>& list) {
  std::vector<Rec> out;
  for (const auto& r : list) {
    out.emplace_back(r.value, r.field, r.mode);
  }
  return out;
}

struct ManagementTest : ::testing::Test {
  ManagementTest() {
    t.rig.image.companion.assign(record_byte::kSize, 0);
    t.rig.image.companion[record_byte::kFeeding] = 0x0F;
    page.AggiornaSelezioni();
  }
  void Done() {
    t.rig.session.Done();
    t.rig.session.lists.ClearAll();
  }
  test::ConfigRig t;
  FrmKvxGestione page{t.env};
};

TEST_F(ManagementTest, RecordBytesAreScaledTruncatedAndHeldInAByte) {
  Bytes& record = t.rig.image.companion;
  page.ChooseRecord(record_combo::kPetrolDeadTime, 1);  // 1.6 ms
  EXPECT_EQ(t.rig.session.posted, std::vector<int>{req::kParameterRecord});
  EXPECT_EQ(record[1], 50);
  Done();
  page.ChooseRecord(record_combo::kPetrolDeadTime, 2);  // 9 ms: 281, held at 255
  EXPECT_EQ(record[1], 255);
  Done();
  page.ChooseRecord(record_combo::kIdleSpeed, 0);  // 800 rpm into bytes 6 and 7
  EXPECT_EQ(record[6], 16);
  EXPECT_EQ(record[7], 16);
  Done();
  page.ChooseHighFeeding(2);
  EXPECT_EQ(record[15], 0x8F);
  page.ChooseLowFeeding(1);  // pending: dropped, the record untouched
  EXPECT_EQ(record[15], 0x8F);
  Done();
  page.ChooseLowFeeding(1);
  EXPECT_EQ(record[15], 0x9F);
  page.AggiornaSelezioni();
  EXPECT_EQ(page.Controls().high_feeding, 2);
  EXPECT_EQ(page.Controls().low_feeding, 1);
  EXPECT_EQ(page.Controls().record[record_combo::kPetrolDeadTime].index, 2);
  // An ECU whose record was never read gets nothing written.
  record.clear();
  Done();
  page.ChooseRecord(record_combo::kContribution, 0);
  EXPECT_EQ(t.rig.session.posted.size(), 5u);
}

TEST_F(ManagementTest, WordsTakeTheirScalingAndRequest) {
  const auto choose = [&](int combo, int index) {
    Done();
    page.ChooseWord(combo, index);
    return t.rig.session.posted.back();
  };
  EXPECT_EQ(choose(word_combo::kMinOpening, 1), req::kEntry3List);  // 2 ms
  EXPECT_EQ(Records(t.List(3)), (std::vector<Rec>{{250, 36, 0}}));
  EXPECT_EQ(choose(word_combo::kMonoFuel, 0), req::kEntry2List);
  EXPECT_EQ(Records(t.List(2)), (std::vector<Rec>{{0, 2, 128}}));
  EXPECT_EQ(choose(word_combo::kExitPressure, 2), req::kEntry16List);
  EXPECT_EQ(Records(t.List(16)), (std::vector<Rec>{{40, 13, 0}}));
  EXPECT_EQ(choose(word_combo::kGasDeadTime, 0), req::kEntry15List);  // after the warning
  EXPECT_EQ(Records(t.List(15)), (std::vector<Rec>{{1200, 0, 0}}));
  ASSERT_EQ(t.rig.box.shown.size(), 1u);
  EXPECT_EQ(t.rig.box.shown[0].text, page.Text(management_text::kDeadTimeWarning));

  t.rig.table.SetValue(2, 2, 0x80);
  t.rig.table.SetValue(3, 36, 187);  // 1.5 ms
  t.rig.table.SetLastAnswer(3, Bytes{1});
  Done();
  page.LiveTick();
  EXPECT_EQ(page.Controls().words[word_combo::kMonoFuel].index, 1);
  EXPECT_EQ(page.Controls().words[word_combo::kMinOpening].index, 0);
  page.OpenSequence();
  EXPECT_EQ(t.rig.window.pages, std::vector<int>{session::page_id::kInjectionSequence});
}

}  // namespace
}  // namespace velmora::pages
