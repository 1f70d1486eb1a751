// The injection sequence page's model on the page fakes: the lines it
// shows, the shifted test, and what each action sends or refuses.
#include "tuning/frm_seq_inj.h"

#include <gtest/gtest.h>

#include "tests/pages/page_fakes.h"

namespace velmora::tuning {
namespace {

namespace req = session::request;

// Text k of the page's block reads "tk", so a message names its number.
std::string Dictionary() {
  std::string body = "[FrmSeqInj]\r\n";
  for (int k = 1; k < seq_text::kCount; ++k) {
    body += "t" + std::to_string(k) + "\r\n";
  }
  return body + "[PhaseShifter]\r\n0 - none|1 - one|2 - two\r\n3\r\n";
}

struct SeqTest : ::testing::Test {
  SeqTest() {
    Cylinders(4);
    for (std::size_t f = 9; f <= 16; ++f) {
      rig.table.SetValue(3, f, 1);  // every cylinder has its output
    }
    Outputs({0, 1, 2, 3});
    Idle(800);
    page.Shown();
  }
  void Cylinders(int n) { rig.table.SetValue(3, 1, n); }
  void Outputs(const std::vector<int>& words) {
    for (std::size_t i = 0; i < words.size(); ++i) {
      rig.table.SetValue(15, 6 + i, words[i]);
    }
  }
  void Idle(int rpm) {
    rig.table.SetValue(1, 32, rpm);
    rig.table.SetValue(1, 38, 1);
  }
  [[nodiscard]] std::string LastBox() const {
    return rig.box.shown.empty() ? std::string() : rig.box.shown.back().text;
  }
  pages::test::PageRig rig;
  pages::test::TestDictionary dictionary{Dictionary()};
  pages::PageEnv env{rig.image,         rig.table, rig.session,  rig.window, rig.box,   rig.clock,
                     dictionary.lingue, rig.paths, rig.requests, nullptr,    "Velmora", &rig.scale};
  FrmSeqInj page{env};
};

TEST_F(SeqTest, LinesCaptionAndShiftedTestFollowTheAssignmentAndMode) {
  const SeqControls& c = page.Controls();
  EXPECT_EQ(c.output_line, "OUT: -1-2-3-4-");
  EXPECT_EQ(c.channel_line, " CH: -1-2-3-4-");
  EXPECT_EQ(rig.session.sequence, "t7 t2 - NORM.");
  EXPECT_FALSE(page.SonoAnticipato());
  EXPECT_FALSE(c.shifted);

  Outputs({1, 0, 2, 3});
  for (std::size_t i = 0; i < 4; ++i) {
    rig.table.SetValue(15, 79 + i, std::vector<int>{0, 2, 3, 1}[i]);
  }
  page.AggiornaSelezioni(true);
  EXPECT_EQ(c.output_line, "OUT: -2-1-3-4-");
  EXPECT_EQ(c.sequence, "-1-3-4-2-\nt7");
  EXPECT_EQ(rig.session.sequence, "t7 t2 - ANTICIP.");
  EXPECT_TRUE(c.shifted);
  EXPECT_TRUE(page.SonoAnticipato());

  rig.table.SetValue(15, 78, 1);
  page.AggiornaSelezioni(false);
  EXPECT_EQ(rig.session.sequence, "t5 t2 - ANTICIP.");
  EXPECT_FALSE(page.SonoAnticipato());
  EXPECT_FALSE(c.shifted);
}

TEST_F(SeqTest, BoxesShowTheWordOrAPlaceholderAndTwelveCylindersAreEight) {
  Outputs({0, 7, 2, 3});
  page.AggiornaSelezioni(true);
  const ChannelBox& second = page.Controls().channels[1];
  EXPECT_EQ(second.items.size(), 4U);
  EXPECT_EQ(second.index, -1);
  EXPECT_EQ(second.text, " - - ");
  EXPECT_TRUE(second.visible);
  EXPECT_FALSE(page.Controls().channels[4].visible);

  Cylinders(12);
  Outputs({0, 1, 2, 3, 4, 5, 6, 7});
  page.AggiornaSelezioni(true);
  EXPECT_EQ(page.Controls().output_line, "OUT: -1-2-3-4-5-6-7-8-");
  EXPECT_TRUE(page.Controls().channels[7].visible);
  EXPECT_EQ(page.CmdAcquire(), AcquireResult::kPosted);  // fields 9..16 only
  Cylinders(0);  // nothing read: no label for the switch-over page
  page.AggiornaSelezioni(true);
  EXPECT_TRUE(rig.session.sequence.empty());
}

TEST_F(SeqTest, AcquisitionChecksRunInOrder) {
  Idle(150);
  EXPECT_EQ(page.CmdAcquire(), AcquireResult::kEngine);
  EXPECT_EQ(LastBox(), "t4");
  rig.table.SetValue(3, 16, 0);
  EXPECT_EQ(page.CmdAcquire(), AcquireResult::kNoOutput);
  EXPECT_EQ(LastBox(), "t12");
  Idle(800);
  rig.table.SetValue(3, 15, 4);
  EXPECT_EQ(page.CmdAcquire(), AcquireResult::kNoOutput);
  rig.table.SetValue(3, 16, 1);
  rig.table.SetValue(3, 15, 1);

  rig.image.companion.assign(16, 0);
  rig.image.companion[15] = 0x40;
  page.SetDisplayLevels({true, false, false});
  EXPECT_EQ(page.CmdAcquire(), AcquireResult::kFeeding);
  EXPECT_EQ(LastBox(), "t13\n\n- High speed feeding: Petrol contribution");
  EXPECT_TRUE(rig.session.posted.empty());

  page.SetDisplayLevels({true, true, false});
  rig.table.SetValue(3, 41, 50);
  EXPECT_EQ(page.CmdAcquire(), AcquireResult::kPosted);
  EXPECT_EQ(LastBox(), "t16\n\nDelay between injectors");
  EXPECT_EQ(rig.session.posted, std::vector<int>{req::kAcquisition});
  EXPECT_EQ(page.Controls().status, "t20");
  EXPECT_EQ(page.CmdAcquire(), AcquireResult::kBusy);
  rig.session.Done();
  page.Refresh();
  EXPECT_EQ(page.Controls().status, "t21");
}

TEST_F(SeqTest, ResetWritesEightWordsAndDuplicatesWarnButWrite) {
  Cylinders(2);
  page.AggiornaSelezioni(true);
  ASSERT_TRUE(page.CmdResetSeq());
  const auto& list = rig.session.lists.Of(15);
  ASSERT_EQ(list.size(), 8U);
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(list[static_cast<std::size_t>(k)].value, k);
    EXPECT_EQ(list[static_cast<std::size_t>(k)].field, 6 + k);
  }
  rig.session.Done();
  rig.session.lists.ClearAll();
  rig.table.SetValue(2, 1, 1);
  EXPECT_FALSE(page.CmdResetSeq());
  EXPECT_EQ(LastBox(), "t4");

  page.ChannelClick(1, 0);  // channel 2 onto output 1, which channel 1 drives
  EXPECT_EQ(LastBox(), "t18\n\nt19");
  ASSERT_EQ(rig.session.lists.Of(15).size(), 1U);
  EXPECT_EQ(rig.session.lists.Of(15)[0].value, 0);
  EXPECT_EQ(rig.session.lists.Of(15)[0].field, 7);
  EXPECT_EQ(rig.session.posted.back(), req::kEntry15List);
}

TEST_F(SeqTest, PhaseShifterLevelsAndClose) {
  EXPECT_EQ(page.PhaseShifterParameter(), 3);
  EXPECT_EQ(page.Controls().phase_shifter.index, 0);
  page.PhaseShifterClick(2);
  EXPECT_EQ(page.PhaseShifterValue(), 2);
  EXPECT_TRUE(rig.session.posted.empty());
  page.SetDisplayLevels({true, false, false});
  EXPECT_FALSE(page.Controls().show_channels);
  EXPECT_FALSE(page.Controls().channels[0].enabled);
  EXPECT_EQ(page.Controls().phase_shifter.index, 2);
  page.Close();
  EXPECT_EQ(rig.window.pages, std::vector<int>{session::page_id::kManagement});
}

}  // namespace
}  // namespace velmora::tuning
