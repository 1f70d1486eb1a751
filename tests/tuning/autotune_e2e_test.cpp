// velmora-cli autotune against LinkSrv against velmora-ecusim: the virtual
// engine answers the run, and the map the ECU ends with is read back.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/e2e/e2e_support.h"

namespace velmora::e2e {
namespace {

// A short run: few samples, short waits, tight limits.
constexpr const char* kParameters =
    "Temp taratura=0\r\nRpm minimi=500=700\r\nAttesa minimo ms=300\r\n"
    "Num Campioni minimo=5\r\nFreq Campioni minimo ms=100\r\nAttiva tutti i Cil=1\r\n"
    "Rpm Massimo=2500\r\nDeltaVisualizzazioneRPMMax=300\r\nAttesa massimo ms=300\r\n"
    "Num Campioni massimo=5\r\nFreq Campioni massimo ms=100\r\nPrima attesa ms=300\r\n"
    "Attesa corr inj ms=400\r\nNum Campioni corr inj=4\r\nFreq Campioni corr inj ms=100\r\n"
    "Cicli in tolleranza inj=2\r\nMax cicli non in tolleranza inj=6\r\n"
    "Tolleranza in correzione inj %=4\r\nStep di Correzione inj %=50\r\n"
    "Massima correzione inj us=100\r\nRpm ritorno minimo=1200\r\n"
    "Attesa ritorno minimo ms=5000\r\nAttesa corr minimo ms=400\r\n"
    "Num Campioni corr minimo=4\r\nFreq Campioni corr minimo ms=100\r\n"
    "Cicli in tolleranza minimo=2\r\nMax cicli non in tolleranza minimo=6\r\n"
    "Tolleranza in correzine minimo %=4\r\nStep di Correzione minimo %=50\r\n"
    "Massima correzione minimo us=100\r\nDisabilita Centraggio Compensazione=0\r\n";

constexpr int kRunMs = 100'000;

struct TuneRoot {
  TuneRoot() {
    std::error_code ec;
    fs::copy(StageBin() + "/../lng", root.Root() + "/lng", fs::copy_options::recursive, ec);
    (void)core::WriteFileAtomic(root.Root() + "/lng/ParaTun.txt", kParameters);
  }
  std::string Bank(const Sim& sim) const {
    return RunCli(root, WithPort(sim, {"bank", "read", "1"})).out;
  }
  TempRoot root;
};

TEST(AutotuneE2e, FullRunWritesATunedMapAndItsLog) {
  TuneRoot t;
  Sim sim(t.root, {});
  ASSERT_TRUE(sim.Ready());
  const std::string factory = t.Bank(sim);
  const CliRun run = RunCli(t.root, WithPort(sim, {"autotune"}), kRunMs);
  ASSERT_TRUE(run.exit_code) << "velmora-cli hung";
  EXPECT_EQ(*run.exit_code, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("step 5 71 % "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("result: 0 "), std::string::npos) << run.out;
  const std::string tuned = t.Bank(sim);
  EXPECT_EQ(tuned.size(), factory.size());
  EXPECT_NE(tuned, factory);
  std::string log;
  ASSERT_TRUE(core::ReadWholeFile(t.root.Root() + "/Tune/StatoTun.txt", log));
  EXPECT_NE(log.find("Cilindro n. 1\r\n"), std::string::npos);
  EXPECT_NE(log.find("Tara al minimo\r\n"), std::string::npos);
}

TEST(AutotuneE2e, BadInjectorAndCancelEndWithTheirCodes) {
  TuneRoot t;
  {
    Sim sim(t.root, {"--bad-injector", "2"});
    ASSERT_TRUE(sim.Ready());
    const CliRun run = RunCli(t.root, WithPort(sim, {"autotune"}), kRunMs);
    ASSERT_TRUE(run.exit_code) << "velmora-cli hung";
    EXPECT_EQ(*run.exit_code, 1);
    EXPECT_NE(run.out.find("result: 5 "), std::string::npos) << run.out;
  }
  Sim sim(t.root, {});
  ASSERT_TRUE(sim.Ready());
  const std::string factory = t.Bank(sim);
  const CliRun run = RunCli(t.root, WithPort(sim, {"autotune", "--cancel-at-step", "3"}), kRunMs);
  ASSERT_TRUE(run.exit_code) << "velmora-cli hung";
  EXPECT_EQ(*run.exit_code, 1);
  EXPECT_NE(run.out.find("result: 1 "), std::string::npos) << run.out;
  EXPECT_EQ(t.Bank(sim), factory);
}

}  // namespace
}  // namespace velmora::e2e
