// The auto-tuning window's model over the page fakes, with a scripted run
// standing in for the procedure.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "tests/pages/page_fakes.h"
#include "tuning/frm_autotuning.h"

namespace velmora::tuning {
namespace {

namespace at = autotuning_text;
using pages::test::PageRig;

// A window whose procedure starts when `start_ok` and runs `script`.
struct Window {
  explicit Window(std::function<int(TuningObserver&, TuningControl&)> script = {}) {
    model = std::make_unique<FrmAutoTuning>(
        rig.env, TuningProcedure{[this] { return start_ok; },
                                 [this, script](TuningObserver& o, TuningControl& c) {
                                   ++runs;
                                   return script ? script(o, c) : tune_result::kDone;
                                 }});
  }
  PageRig rig;
  bool start_ok = true;
  int runs = 0;
  std::unique_ptr<FrmAutoTuning> model;
  AutoTuningTexts texts;
};

TEST(FrmAutoTuning, RefusedStartShowsTheCriticalBoxAndStartsNothing) {
  Window w;
  w.start_ok = false;
  EXPECT_TRUE(w.model->View().can_start);
  w.model->CmdCalStart();
  ASSERT_EQ(w.rig.box.shown.size(), 1U);
  EXPECT_EQ(w.rig.box.shown[0].text, w.texts[at::kStartRefused]);
  EXPECT_EQ(w.rig.box.shown[0].caption, "Velmora");
  EXPECT_EQ(w.rig.box.shown[0].kind, platform::BoxKind::Critical);
  EXPECT_FALSE(w.rig.session.step_state);
  EXPECT_TRUE(w.rig.session.pages_enabled);
  EXPECT_FALSE(w.model->View().running);

  // Disconnected: the button is off and a start is refused the same way.
  w.start_ok = true;
  w.rig.session.state = core::session_state::kDisconnected;
  w.model->LiveTick();
  EXPECT_FALSE(w.model->View().can_start);
  w.model->CmdCalStart();
  EXPECT_EQ(w.rig.box.shown.size(), 2U);
  EXPECT_FALSE(w.rig.session.step_state);

  // Without a procedure there is nothing to start.
  FrmAutoTuning none(w.rig.env, TuningProcedure{});
  EXPECT_FALSE(none.View().can_start);
}

TEST(FrmAutoTuning, ARunReachesTheControlsAndTheButtons) {
  bool pages_during = true;
  Window w([&](TuningObserver& o, TuningControl& c) -> int {
    pages_during = w.rig.session.pages_enabled;
    o.StepChanged(3, 0, "");
    o.Instruction("Keep idling");
    o.Sample(4012, 3890, 1, 10);
    o.Sample(4020, 3900, 2, 10);
    o.Live({850, 72, 1150, 4016, 3895});
    const AutoTuningShown& s = w.model->View();
    EXPECT_EQ(s.percent, 43);
    EXPECT_EQ(s.step_text, w.texts.StepTitle(3) + " - 43 %");
    EXPECT_EQ(s.message, "Keep idling");
    EXPECT_EQ(s.petrol_samples.size(), 2U);
    EXPECT_EQ(s.petrol_samples.back().count, "2 / 10");
    EXPECT_EQ(s.gas_samples.front().time, "3890 \u00b5s");
    EXPECT_TRUE(s.petrol_lit);
    EXPECT_FALSE(s.gas_lit);
    EXPECT_EQ(s.live.rpm, 850);
    EXPECT_FALSE(s.can_start);
    EXPECT_TRUE(s.can_accept);
    o.StepChanged(5, 0, "Injectors");
    EXPECT_TRUE(s.petrol_samples.empty());
    o.Cylinder(2);
    EXPECT_EQ(s.cylinder, w.texts[at::kCylinder] + " 2");
    EXPECT_EQ(s.step_text, "Injectors - 71 %");
    EXPECT_TRUE(c.accept);
    o.Finished(tune_result::kDone, "");
    return tune_result::kDone;
  });
  w.model->CmdCalStart();
  EXPECT_FALSE(w.rig.session.pages_enabled);
  EXPECT_TRUE(w.model->View().running);
  EXPECT_EQ(w.model->View().percent, 0);
  w.model->CmdCalOk();
  ASSERT_TRUE(w.rig.session.step_state);
  w.rig.session.step_state();
  EXPECT_EQ(w.runs, 1);
  EXPECT_FALSE(pages_during);
  EXPECT_TRUE(w.rig.session.pages_enabled);
  const AutoTuningShown& s = w.model->View();
  EXPECT_FALSE(s.running);
  EXPECT_EQ(s.status, w.texts[at::kDone]);
  EXPECT_EQ(s.status_kind, TuningStatus::kDone);
  EXPECT_TRUE(s.can_start);
  EXPECT_FALSE(s.can_accept);
  constexpr std::array<int, 8> kPercent{0, 14, 29, 43, 57, 71, 86, 100};
  for (int step = 0; step <= 7; ++step) {
    EXPECT_EQ(StepPercent(step), kPercent[static_cast<std::size_t>(step)]);
  }
}

TEST(FrmAutoTuning, CancelReachesTheRunOrDropsOneNotBegun) {
  Window w([&](TuningObserver&, TuningControl& c) {
    w.model->CmdCalCancel();
    EXPECT_TRUE(c.cancel);
    return tune_result::kCancelled;  // the procedure said nothing itself
  });
  w.model->CmdCalStart();
  w.rig.session.step_state();
  EXPECT_EQ(w.model->View().status, w.texts[at::kCancelled]);
  EXPECT_EQ(w.model->View().status_kind, TuningStatus::kStopped);

  // A second start clears the flags; cancelled before the session took it,
  // the run never comes and the pages are back at once.
  w.model->CmdCalStart();
  EXPECT_FALSE(w.model->Control().cancel);
  w.model->CmdCalCancel();
  EXPECT_TRUE(w.rig.session.pages_enabled);
  EXPECT_FALSE(w.model->View().running);
  w.rig.session.step_state();
  EXPECT_EQ(w.runs, 1);
}

}  // namespace
}  // namespace velmora::tuning
