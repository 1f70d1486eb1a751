// The replay page's model: the pace of its steps, where each answer goes,
// the replay log, and what a stop leaves alone.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acq/frm_replay.h"
#include "acq/log_rebuild.h"
#include "core/hex.h"
#include "tests/acq/acq_rig.h"

namespace velmora::acq {
namespace {

using test::AcqRig;

// Every page window the replay asks to show a page again.
struct RefreshWindow : pages::test::FakePageWindow {
  void RefreshPage(int code) override { refreshed.push_back(code); }
  std::vector<int> refreshed;
};

struct ReplayRig : AcqRig {
  RefreshWindow window;
  pages::PageEnv replay_env{image, table,    session, window,   box, clock, dictionary.lingue,
                            paths, requests, nullptr, "Velmora"};
};

ReplaySequence Steps(const std::vector<std::int32_t>& times, const std::string& answer) {
  return {times, std::vector<std::string>(times.size(), answer)};
}

// The gap (ms) from now to the next step the page has scheduled.
std::int64_t GapMs(const FrmReplay& page, const platform::FakeClock& clock) {
  return (page.NextStepUs() - clock.now) / 1000;
}

// Ticks at the next step's time, when it is not yet due, and just after.
void TickThroughNextStep(FrmReplay& page, platform::FakeClock& clock) {
  clock.now = page.NextStepUs();
  const std::size_t played = page.StepsPlayed();
  page.Tick();
  EXPECT_EQ(page.StepsPlayed(), played);
  clock.now += 1;
  page.Tick();
}

TEST(Replay, StepsComeAtTheRecordedPaceOrAtTheChosenOne) {
  ReplayRig rig;
  FrmReplay page(rig.replay_env, " 1.0.0");
  const std::string live = core::BinToHex(rig.Live({{32, 9375}}));
  ASSERT_TRUE(page.SetSequence(Steps({0, 500, 1500, 2000}, live)));
  page.SetSpeed(50);
  ASSERT_TRUE(page.CmdP());  // the recorded pace, whatever the speed control says
  EXPECT_FALSE(page.CmdP());
  EXPECT_EQ(GapMs(page, rig.clock), 500);
  TickThroughNextStep(page, rig.clock);
  EXPECT_EQ(page.ShownTime(), 500);
  EXPECT_EQ(rig.table.Value(1, 32), 1600);
  EXPECT_EQ(GapMs(page, rig.clock), 1000);
  page.CmdS();

  ASSERT_TRUE(page.CmdSpeed());
  EXPECT_FALSE(page.SpeedEnabled());
  EXPECT_EQ(GapMs(page, rig.clock), 250);
  TickThroughNextStep(page, rig.clock);
  EXPECT_EQ(GapMs(page, rig.clock), 500);
  TickThroughNextStep(page, rig.clock);
  EXPECT_EQ(page.ShownTime(), 1500);
  // At the next-to-last step the page stops at the first tick after the gap.
  TickThroughNextStep(page, rig.clock);
  EXPECT_FALSE(page.Playing());
  EXPECT_EQ(page.StepsPlayed(), 2u);
  EXPECT_TRUE(page.SpeedEnabled());
}

TEST(Replay, TwoStepsStopAfterTheFirstGapAndFewerAreRefused) {
  ReplayRig rig;
  FrmReplay page(rig.replay_env, " 1.0.0");
  rig.image.base_map.assign(552, 77);
  const std::string live = core::BinToHex(rig.Live({}));
  EXPECT_FALSE(page.SetSequence(Steps({0}, live)));
  EXPECT_EQ(rig.box.shown.size(), 1u);
  EXPECT_FALSE(page.CmdP());
  ASSERT_TRUE(page.SetSequence(Steps({0, 300}, live)));
  ASSERT_TRUE(page.CmdP());
  rig.clock.now += 300'000;
  page.Tick();
  EXPECT_TRUE(page.Playing());  // not yet past the gap
  rig.clock.now += 1;
  page.Tick();
  EXPECT_FALSE(page.Playing());
  EXPECT_EQ(page.StepsPlayed(), 0u);
  // The stop shows the map grid again and leaves the image's map alone.
  EXPECT_EQ(rig.window.refreshed, (std::vector<int>{12}));
  EXPECT_EQ(rig.image.base_map, Bytes(552, 77));
}

TEST(Replay, AnswersGoToTheirTargetsAndOBDStepsAreLogged) {
  ReplayRig rig;
  FrmReplay page(rig.replay_env, " 1.0.0");
  page.Shown();
  Bytes old_live = rig.Live({});
  old_live.resize(0x63 + 2);
  old_live[2] = 0x63;
  old_live.back() = 0;
  for (std::size_t i = 0; i + 1 < old_live.size(); ++i) {
    old_live.back() ^= old_live[i];
  }
  Bytes trisult(127, 0);
  trisult[0] = 0x42;
  trisult[1] = 0x01;
  trisult[2] = 0x7D;
  trisult[3] = 0x20;
  trisult[6] = 0xF0;
  trisult.back() = 0x42 ^ 0x01 ^ 0x7D ^ 0x20 ^ 0xF0;
  ReplaySequence seq;
  seq.times = {0, 100, 200, 300, 400, 500};
  seq.answers = {"00",
                 core::BinToHex(old_live),
                 core::BinToHex(trisult),
                 core::BinToHex(rig.Obd({{26, 2}, {30, 140}, {54, 9}})),
                 "4201",
                 "00"};
  ASSERT_TRUE(page.SetSequence(seq));
  ASSERT_TRUE(page.CmdP());
  while (page.Playing()) {
    rig.clock.now += 10'000;
    page.Tick();
  }
  EXPECT_EQ(page.StepsPlayed(), 4u);
  EXPECT_EQ(rig.table.LastAnswer(1), old_live);
  EXPECT_EQ(rig.image.tuning.trisult, trisult);
  EXPECT_EQ(rig.table.Value(12, 30), 140);
  EXPECT_EQ(rig.window.refreshed, (std::vector<int>{7, 12}));
  page.Closing();
  std::vector<std::string> log;
  ASSERT_TRUE(core::LeggiRighe(rig.paths.bin + "/LogReplay.txt", log));
  ASSERT_EQ(log.size(), 4u);  // the last line ends with CR LF too
  EXPECT_TRUE(log[0].ends_with(" -  1.0.0")) << log[0];
  EXPECT_EQ(log[1], "#Tempo #Pid03 #Pid06 #Pid07 #Pid08 #Pid09 #Pid11 #Pid14 #Pid15");
  EXPECT_EQ(log[2], "#300 #2 #140 #0 #0 #0 #0 #0 #9");
}

TEST(Replay, StepsAreTheAnswerLinesAndTargetsNeedAWholeFrame) {
  const ReplaySequence seq = ReadReplaySequence(
      "0 TimerApi_uSec 5 Now x\r\nCMD_READ_MEM1\r\n0 T 4102032161\r\n0 R 4201\r\n"
      "CMD_READ_MEM1\r\nx R 42\r\n40 R \r\n50 R AB\n");
  EXPECT_EQ(seq.times, (std::vector<std::int32_t>{0, 50}));
  EXPECT_EQ(seq.answers, (std::vector<std::string>{"4201", "AB"}));

  AcqRig rig;
  Bytes obd = rig.Obd({{30, 7}});
  EXPECT_EQ(TargetOf(obd)->entry, 12u);
  Bytes short_obd(obd.begin(), obd.begin() + 0x3E + 2);  // an older OBD record: 58 data bytes
  short_obd[2] = 0x3E;
  short_obd.back() = 0;
  short_obd.back() = XorOf(short_obd);
  EXPECT_EQ(TargetOf(short_obd)->entry, 12u);
  Bytes bad_xor = obd;
  bad_xor.back() ^= 1;
  EXPECT_FALSE(TargetOf(bad_xor).has_value());
  Bytes wrong_length = rig.Live({});
  wrong_length[2] = 0x5C;  // the OBD length on a live record
  wrong_length.resize(0x5C + 2);
  wrong_length.back() = 0;
  wrong_length.back() = XorOf(wrong_length);
  EXPECT_FALSE(TargetOf(wrong_length).has_value());
}

}  // namespace
}  // namespace velmora::acq
