// The two timers themselves: busy guards against re-entry, the connection
// indicator, the memory trace and poll markers of the live poll, the
// post-operation state, and the write-list records.

#include <gtest/gtest.h>

#include "tests/session/session_rig.h"

namespace velmora::session::testing {
namespace {

namespace st = core::session_state;

TEST(SessionTimers, TicksArrivingDuringAnExchangeReturnAtOnce) {
  SessionRig rig;
  ASSERT_TRUE(rig.Connect());
  int nested = 0;
  rig.link.on_pump = [&] {
    ++nested;
    rig.session->Timer1_Timer();  // the window's timer fires while we wait
    rig.session->Timer2_Timer();
  };
  const std::size_t before = rig.frames.size();
  rig.Tick();
  rig.Tick();
  EXPECT_GT(nested, 0);
  EXPECT_EQ(rig.Commands(before),
            (std::vector<std::uint8_t>{link::cmd::kReadLive, link::cmd::kReadLive}));
  EXPECT_EQ(rig.session->PollCount(), 2);
}

TEST(SessionTimers, TheIndicatorChangesEverySixthTickByState) {
  SessionRig rig;
  // Searching: the animation runs through its five pictures.
  for (int i = 0; i < 6 * 7; ++i) {
    rig.session->Timer2_Timer();
  }
  EXPECT_EQ(rig.host.pictures, (std::vector<int>{0, 1, 2, 3, 4, 0, 1}));
  EXPECT_EQ(rig.link.pumps, 6 * 7);  // each tick lets pending events through

  ASSERT_TRUE(rig.Connect());
  rig.host.pictures.clear();
  for (int i = 0; i < 6; ++i) {
    rig.session->Timer2_Timer();
  }
  EXPECT_EQ(rig.host.pictures, std::vector<int>{indicator::kConnected});

  rig.flags.timeout = true;
  rig.Tick();
  for (int i = 0; i < 6; ++i) {
    rig.session->Timer2_Timer();
  }
  EXPECT_EQ(rig.host.pictures.back(), indicator::kDisconnected);
  EXPECT_EQ(rig.session->IndicatorPicture(), indicator::kDisconnected);

  // Closing: nothing changes any more, and the pages stay as they are.
  rig.host.pictures.clear();
  EXPECT_TRUE(rig.session->QueryUnload(UnloadMode::kControlMenu));
  for (int i = 0; i < 12; ++i) {
    rig.session->Timer2_Timer();
  }
  EXPECT_TRUE(rig.host.pictures.empty());
  rig.host.pages_enabled = true;
  rig.session->AbilitaDisabilitaForm(false);
  EXPECT_TRUE(rig.host.pages_enabled);
}

TEST(SessionTimers, TheMemoryTraceFollowsTheTriggerAndBothOptions) {
  SessionRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.trace_trigger = true;
  rig.Tick();
  EXPECT_TRUE(rig.host.traces.empty());  // the options are off

  rig.session->SetMemoryTrace(true, false);
  rig.Tick();
  EXPECT_TRUE(rig.host.traces.empty());

  rig.session->SetMemoryTrace(true, true);
  const std::size_t before = rig.frames.size();
  rig.Tick();
  rig.Tick();
  EXPECT_EQ(rig.Commands(before),
            (std::vector<std::uint8_t>{link::cmd::kReadLive, 0x23, link::cmd::kReadLive, 0x23}));
  ASSERT_EQ(rig.host.traces.size(), 2u);
  EXPECT_EQ(rig.host.traces.back(), rig.table.LastAnswer(21));

  rig.trace_trigger = false;
  rig.Tick();
  EXPECT_EQ(rig.host.traces.size(), 2u);
}

TEST(SessionTimers, PollMarkers) {
  SessionRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.session->SetPollMarker(poll_marker::kReadBlock2);
  std::size_t before = rig.frames.size();
  rig.Tick();
  rig.Tick();
  EXPECT_EQ(rig.Commands(before),
            (std::vector<std::uint8_t>{link::cmd::kReadLive, link::cmd::kReadBlock2,
                                       link::cmd::kReadLive}));
  EXPECT_EQ(rig.session->PollMarker(), poll_marker::kNone);

  // Marker 3 keeps the OBD data's periodic transmission in step with block 2.
  rig.session->SetPollMarker(poll_marker::kAlignObdPeriodic);
  const bool wanted =
      (rig.table.Value(2, link::live::kPeriodicSwitchField) & link::live::kPeriodicSwitchBit) != 0;
  const std::size_t types_before = rig.types.size();
  rig.Tick();
  rig.Tick();
  int periodic = 0;
  for (std::size_t i = types_before; i < rig.types.size(); ++i) {
    periodic += rig.types[i] == static_cast<std::uint8_t>(link::MsgType::kPeriodic) ? 1 : 0;
  }
  EXPECT_EQ(periodic, wanted ? 1 : 0);
  EXPECT_EQ(rig.table.Periodic(12), wanted);
  EXPECT_EQ(rig.session->PollMarker(), poll_marker::kAlignObdPeriodic);
}

TEST(SessionTimers, PostOperationStepRunsInStateSeven) {
  SessionRig rig;
  ASSERT_TRUE(rig.Connect());
  int state_in_step = -1;
  rig.session->SetPostOperationStep([&] { state_in_step = rig.session->State(); });
  rig.session->SetPostOperation();
  const std::size_t before = rig.frames.size();
  rig.Tick();
  EXPECT_EQ(state_in_step, st::kPostOperation);
  EXPECT_EQ(rig.session->State(), st::kConnected);
  EXPECT_EQ(rig.frames.size(), before);  // no live poll in that tick
}

TEST(WriteRecords, StoreSetAndClearBitsInListOrder) {
  core::MessageEntry entry;
  entry.fields = {{"UB", 6, 1}, {"UW", 7, 1}};
  entry.values = {0, 0};
  link::MessageTable table({core::MessageEntry{}, core::MessageEntry{}, entry});
  table.SetValue(2, 1, 0b0101);
  ApplyRecords(table, 2,
               {{1, 1, 0b0010}, {0, 1, 0b0001}, {77, -1, 0}, {9, 0, 0}, {3, 0, -4}, {1, 7, 0}});
  EXPECT_EQ(table.Value(2, 1), 0b0110);
  EXPECT_EQ(table.Value(2, 0), 3);  // a mode below 0 stores too

  WriteLists lists;
  EXPECT_FALSE(lists.Append(4, {1, 0, 0}));  // entry 4 is not written
  EXPECT_TRUE(lists.Append(2, {1, 0, 0}));
  EXPECT_FALSE(lists.Empty());
  EXPECT_EQ(lists.Of(2).size(), 1u);
  EXPECT_TRUE(lists.Of(3).empty());
  lists.ClearAll();
  EXPECT_TRUE(lists.Empty());
}

}  // namespace
}  // namespace velmora::session::testing
