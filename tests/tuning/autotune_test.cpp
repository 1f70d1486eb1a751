// The auto-tuning procedure: its rules one by one, and whole runs against
// the virtual ECU's model over the fake link, on a fake clock.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calib/calibration_image.h"
#include "core/files.h"
#include "session/calib_calibration_service.h"
#include "tests/calib/calibration_rig.h"
#include "tests/pages/page_fakes.h"
#include "tuning/autotune_centring.h"
#include "tuning/autotune_correction.h"
#include "tuning/autotune_log.h"
#include "tuning/autotune_map.h"
#include "tuning/autotune_params.h"
#include "tuning/autotune_run.h"

namespace velmora::tuning {
namespace {

const std::vector<std::string> kShortRun = {"Temp taratura=0",
                                            "Rpm minimi=500=700",
                                            "Attesa minimo ms=200",
                                            "Num Campioni minimo=5",
                                            "Freq Campioni minimo ms=100",
                                            "Attiva tutti i Cil=1",
                                            "Rpm Massimo=2500",
                                            "DeltaVisualizzazioneRPMMax=300",
                                            "Attesa massimo ms=200",
                                            "Num Campioni massimo=5",
                                            "Freq Campioni massimo ms=100",
                                            "Prima attesa ms=300",
                                            "Attesa corr inj ms=400",
                                            "Num Campioni corr inj=4",
                                            "Freq Campioni corr inj ms=100",
                                            "Cicli in tolleranza inj=2",
                                            "Max cicli non in tolleranza inj=8",
                                            "Tolleranza in correzione inj %=4",
                                            "Step di Correzione inj %=50",
                                            "Massima correzione inj us=100",
                                            "Rpm ritorno minimo=1200",
                                            "Attesa ritorno minimo ms=5000",
                                            "Attesa corr minimo ms=400",
                                            "Num Campioni corr minimo=4",
                                            "Freq Campioni corr minimo ms=100",
                                            "Cicli in tolleranza minimo=2",
                                            "Max cicli non in tolleranza minimo=8",
                                            "Tolleranza in correzine minimo %=4",
                                            "Step di Correzione minimo %=50",
                                            "Massima correzione minimo us=100",
                                            "Disabilita Centraggio Compensazione=0"};

TEST(AutoTuneParameters, SecondSetCountsAndRefusals) {
  EXPECT_EQ(ReadTuningParameters(kShortRun, false).values.rpm_minimi, 500);
  EXPECT_EQ(ReadTuningParameters(kShortRun, true).values.rpm_minimi, 700);
  // No second value: the first stays under the second set.
  EXPECT_EQ(ReadTuningParameters(kShortRun, true).values.rpm_massimo, 2500);
  EXPECT_TRUE(ReadTuningParameters(kShortRun, false).error.empty());
  // Keys compare exactly; a count that is missing or 0 refuses the file.
  auto lines = kShortRun;
  lines[3] = "num Campioni minimo=5";
  EXPECT_NE(ReadTuningParameters(lines, false).error.find("Num Campioni minimo"),
            std::string::npos);
  lines[3] = "Num Campioni minimo=0";
  EXPECT_FALSE(ReadTuningParameters(lines, false).error.empty());
  lines[3] = "Num Campioni minimo=x";
  EXPECT_FALSE(ReadTuningParameters(lines, false).error.empty());
}

TEST(AutoTuneCycle, ToleranceAndLimitedStep) {
  EXPECT_TRUE(WithinTolerance(4000, 4150, 5));
  EXPECT_FALSE(WithinTolerance(4000, 4300, 5));
  EXPECT_EQ(CorrectionStep(4500, 4000, 50, 100), 100);
  EXPECT_EQ(CorrectionStep(3500, 4000, 50, 100), -100);
  EXPECT_EQ(CorrectionStep(4100, 4000, 50, 100), 50);
}

TEST(AutoTuneLog, SixRunsKeepFive) {
  pages::test::PageRig rig;
  for (int run = 1; run <= 6; ++run) {
    TuningLog log(rig.paths);
    log.Rotate();
    log.Line("run " + std::to_string(run));
  }
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(calib::testing::FileText(rig.paths.tuning_states[static_cast<std::size_t>(i)]),
              "run " + std::to_string(6 - i) + "\r\n");
  }
  // A Tune that cannot be a folder: the log says so and the run goes on.
  pages::test::PageRig blocked;
  (void)core::WriteFileAtomic(blocked.paths.tune_dir, "not a folder");
  TuningLog log(blocked.paths);
  log.Rotate();
  log.Line("run");
  EXPECT_FALSE(log.Healthy());
}

TEST(AutoTuneMap, IdleValueRecordSteppingAndShift) {
  EXPECT_FALSE(BuildTunedMap({0, 100, 5, 5, nullptr, false}));
  EXPECT_EQ(*IdleValue(3000, 150), 134);
  calib::CoefficientRecord rec;
  rec.m_mappa.fill(2);
  // A divisor of 0 leaves the map flat.
  EXPECT_EQ(*BuildTunedMap({3000, 150, 2, 3, &rec, false}), Bytes(552, 134));
  rec.div_fact = 1;
  for (std::size_t i = 0; i < rec.q_mappa.size(); ++i) {
    rec.q_mappa[i] = static_cast<std::int32_t>(i % 23);  // rises with injection time
  }
  const Bytes map = *BuildTunedMap({3000, 150, 2, 3, &rec, true});
  EXPECT_EQ(map[2 * 23 + 3], 134);  // the idle point holds the idle value
  EXPECT_EQ(map[2 * 23 + 2], 134);  // stepped: odd columns copy the one before
  EXPECT_EQ(map[2 * 23 + 4], 136);
  EXPECT_EQ(map[0], 132);
  calib::CalibrationImage image;
  image.undo_available[0] = 1;
  TakeTunedMap(image, map);
  EXPECT_EQ(image.undo_available[0], 0);
}

TEST(AutoTuneCentring, CountsLeadingPairsAndShifts) {
  PressureTable t;
  for (int i = 0; i < kPressurePairs; ++i) {
    t.x[static_cast<std::size_t>(i)] = 500 + 200 * i;
    t.correction[static_cast<std::size_t>(i)] = i < 3 ? 5 : 0;
  }
  const auto centred = CentreTable(t, 1000);
  ASSERT_TRUE(centred);
  EXPECT_EQ(centred->pairs, 3);
  EXPECT_EQ(centred->centred, 1);
  EXPECT_EQ(centred->x[2], 900);  // half an interval below the pressure
  EXPECT_EQ(centred->x[0], 500);
  t.correction[0] = 0;
  EXPECT_FALSE(CentreTable(t, 1000));
}

class Watcher final : public TuningObserver {
 public:
  explicit Watcher(TuningControl& c) : control(c) {}
  void StepChanged(int step, int, std::string_view) override {
    steps.push_back(step);
    control.cancel = step == cancel_at;
  }
  void Instruction(std::string_view) override {}
  void Cylinder(int) override {}
  void Sample(int, int, int, int) override {}
  void Live(const TuningLive&) override {}
  void Finished(int r, std::string_view text) override {
    result = r;
    said = text;
  }
  TuningControl& control;
  std::vector<int> steps;
  int cancel_at = -1;
  int result = -99;
  std::string said;
};

struct RunRig {
  calib::testing::CalibrationRig ecu_rig;
  pages::test::PageRig page;
  session::CalibCalibrationService service{ecu_rig.env, ecu_rig.access, page.paths.lng, ""};
  pages::PageEnv env{ecu_rig.image,
                     ecu_rig.table,
                     page.session,
                     page.window,
                     page.box,
                     ecu_rig.channel.clock,
                     page.dictionary.lingue,
                     page.paths,
                     page.requests,
                     nullptr,
                     "Velmora",
                     &page.scale};
  TuningLinks links{ecu_rig.access, service, ecu_rig.channel.link};
  TuningControl control{false, true};
  Watcher watcher{control};

  explicit RunRig(const std::vector<std::string>& parameters = kShortRun) {
    (void)core::CreaCartella(page.paths.lng);
    (void)core::WriteFileAtomic(page.paths.tuning_parameters, core::JoinCrLf(parameters));
    service.SetEcu(link::generation::kNex, session::CapabilitiesOf(link::generation::kNex));
    EXPECT_TRUE(service.ReadAll());
  }
  int Run() { return RunAutoTuning(env, links, watcher, control); }
};

TEST(AutoTuneRun, FullRunWritesATunedMap) {
  RunRig rig;
  const Bytes factory = rig.ecu_rig.ecu.Held("BANK1");
  ASSERT_EQ(rig.Run(), tune_result::kDone) << rig.watcher.said;
  EXPECT_EQ(rig.watcher.steps, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_NE(rig.ecu_rig.ecu.Held("BANK1"), factory);
  EXPECT_EQ(rig.ecu_rig.image.undo_maps[0], rig.ecu_rig.image.base_map);
  EXPECT_EQ(rig.page.window.pages.back(), 12);
  const std::string log = calib::testing::FileText(rig.page.paths.tuning_states[0]);
  for (const char* line : {"Velmora - ", "TEMP - ", "Campiona massimo", "Cilindro n. 4",
                           "Tara al minimo", "\r\n#\t0\t4\t"}) {
    EXPECT_NE(log.find(line), std::string::npos) << line;
  }
}

TEST(AutoTuneRun, CentringMovesThePressureTableUnderTheMeanPressure) {
  auto lines = kShortRun;
  lines.back() = "Disabilita Centraggio Compensazione=1";
  RunRig rig(lines);
  ASSERT_EQ(rig.Run(), tune_result::kDone) << rig.watcher.said;
  const Bytes table = rig.ecu_rig.ecu.Held("COM_PGASX");
  ASSERT_EQ(table.size(), 47u);
  EXPECT_EQ(table[45], 1);  // centred
  EXPECT_EQ(table[46], 5);  // five leading pairs carry a correction
  // Breakpoint 4 lands half an interval below the gas pressure (~1150).
  const int x4 = table[12] | (table[13] << 8);
  EXPECT_NEAR(x4, 1100, 30);
}

TEST(AutoTuneRun, GraceCounterAllowsTenLostPolls) {
  GraceCounter grace;
  for (int poll = 0; poll < 10; ++poll) {
    EXPECT_FALSE(grace.Lost(0, 500));
  }
  EXPECT_FALSE(grace.Lost(800, 500));  // reloaded
  for (int poll = 0; poll < 10; ++poll) {
    EXPECT_FALSE(grace.Lost(400, 500));
  }
  EXPECT_TRUE(grace.Lost(400, 500));
}

TEST(AutoTuneRun, RefusalsAndCancelWriteNoMap) {
  auto lines = kShortRun;
  lines[3] = "Num Campioni minimo=0";
  RunRig refused(lines);
  refused.ecu_rig.Forget();
  EXPECT_EQ(refused.Run(), tune_result::kNotStarted);
  EXPECT_TRUE(refused.ecu_rig.ecu.frames.empty());
  EXPECT_NE(refused.watcher.said.find("Num Campioni minimo"), std::string::npos);

  RunRig cancelled;
  const Bytes factory = cancelled.ecu_rig.ecu.Held("BANK1");
  cancelled.watcher.cancel_at = 3;
  EXPECT_EQ(cancelled.Run(), tune_result::kCancelled);
  EXPECT_EQ(cancelled.ecu_rig.ecu.Held("BANK1"), factory);

  // No cylinder marked present: no petrol time, nothing to tune against.
  RunRig empty;
  const auto block3 = empty.ecu_rig.ecu.Region("BLK3");
  std::fill(block3.begin() + 14, block3.begin() + 22, 0);
  const Bytes tune = empty.ecu_rig.ecu.Held("TUNE");
  EXPECT_EQ(empty.Run(), tune_result::kStateRefused);
  EXPECT_EQ(empty.ecu_rig.ecu.Held("BANK1"), factory);
  EXPECT_EQ(empty.ecu_rig.ecu.Held("TUNE"), tune);
}

TEST(AutoTuneStart, RulesAndTheStartBit) {
  RunRig rig;
  rig.page.session.state = core::session_state::kDisconnected;
  EXPECT_FALSE(PrepareAutoTuningStart(rig.env, rig.links));
  rig.page.session.state = core::session_state::kConnected;
  EXPECT_TRUE(PrepareAutoTuningStart(rig.env, rig.links));
  EXPECT_TRUE(rig.page.session.posted.empty());
  rig.ecu_rig.table.SetValue(2, 0, 3);
  EXPECT_TRUE(PrepareAutoTuningStart(rig.env, rig.links));
  EXPECT_EQ(rig.page.session.posted, std::vector<int>{54});
  ASSERT_EQ(rig.page.session.lists.Of(15).size(), 1u);
  EXPECT_EQ(rig.page.session.lists.Of(15)[0].mode, 16);
}

}  // namespace
}  // namespace velmora::tuning
