#include "diag/frm_obd.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "diag/diag_pages.h"
#include "tests/diag/write_record_eq.h"
#include "tests/pages/page_fakes.h"

namespace velmora::diag {
namespace {

using pages::test::PageRig;
using pages::test::TestDictionary;
using session::WriteRecord;
using enum ObdControl;

constexpr const char* kLists =
    "[CmbSogliaVac]\r\n200 mbar|300 mbar|400 mbar\r\n"
    "[CmbTarget]\r\n-10 %|-5 %|0 %|5 %\r\n"
    "[CmbClosedLoopDelay]\r\n0.5 s|1 s|2 s\r\n"
    "[CmbOreAdat]\r\nAlways|1 h|10 h\r\n"
    "[CmbMaxValCorr]\r\n5 %|20 %\r\n";

struct ObdPage {
  ObdPage() : dictionary(kLists) {
    env = std::make_unique<pages::PageEnv>(
        pages::PageEnv{rig.image, rig.table, rig.session, rig.window, rig.box, rig.clock,
                       dictionary.lingue, rig.paths, rig.requests, nullptr, "Velmora"});
    rig.image.companion.assign(16, 0);
    page = std::make_unique<FrmObd>(*env, diag_page::kObdMap);
  }
  // One tick of the page, then the session carries the request out.
  int Tick() {
    const std::size_t before = rig.session.posted.size();
    page->LiveTick();
    rig.session.Done();
    return rig.session.posted.size() > before ? rig.session.posted.back() : 0;
  }
  std::vector<WriteRecord> List(std::size_t entry) { return rig.session.lists.Of(entry); }
  PageRig rig;
  TestDictionary dictionary;
  std::unique_ptr<pages::PageEnv> env;
  std::unique_ptr<FrmObd> page;
};

TEST(FrmObd, EachMarkedControlIsWrittenOnItsOwnTickInOrder) {
  ObdPage p;
  p.page->Choose(kMilOnce, 1);
  p.page->Choose(kMilPermanent, 1);
  p.page->Choose(kRailPid, 2);
  p.page->Choose(kAdaptationHours, 0);
  p.page->Choose(kClosedLoopDelay, 0);
  p.page->Choose(kTarget, 1);
  p.page->Choose(kVacuumThreshold, 2);
  p.page->Choose(kRun, 1);
  EXPECT_TRUE(p.page->StartWindowShown());
  std::vector<int> posted;
  for (int tick = 0; tick < 9; ++tick) {
    posted.push_back(p.Tick());
  }
  EXPECT_EQ(posted, (std::vector<int>{20, 28, 28, 49, 49, 21, 67, 27, 33}));
  EXPECT_EQ(p.rig.image.companion[11], 2);
  EXPECT_EQ(p.rig.image.companion[13], 251);  // -5 as a signed byte
  EXPECT_EQ(p.List(14), (std::vector<WriteRecord>{{500, 2, 0}, {65535, 3, 0}}));
  EXPECT_EQ(p.List(12), (std::vector<WriteRecord>{{1, 24, 0}, {0x22, 23, 0}}));
  EXPECT_EQ(p.List(19), (std::vector<WriteRecord>{{1, 0, 8}}));
  EXPECT_EQ(p.List(2), (std::vector<WriteRecord>{{1, 2, 64}}));
  // The next OBD read waits 3 seconds.
  EXPECT_EQ(p.Tick(), 0);
  p.rig.clock.now += 3'000'000;
  EXPECT_EQ(p.Tick(), 33);
}

TEST(FrmObd, ControlsShowTheEcusValues) {
  ObdPage p;
  p.rig.image.companion[13] = 251;
  p.rig.table.SetLastAnswer(14, Bytes(54, 0));
  p.rig.table.SetValue(14, 2, 3000);  // no item says 3 s
  p.rig.table.SetValue(14, 3, 65535);
  p.rig.table.SetLastAnswer(3, Bytes(81, 0));
  p.rig.table.SetValue(3, 48, 20);
  p.page->Refresh();
  EXPECT_EQ(p.page->Control(kTarget).choice, 1);
  EXPECT_EQ(p.page->Control(kAdaptationHours).choice, 0);
  EXPECT_EQ(p.page->Control(kMaxCorrection).choice, 1);
  EXPECT_EQ(p.page->Control(kClosedLoopDelay).choice, -1);
  EXPECT_EQ(p.page->Control(kClosedLoopDelay).unlisted, "3000");
  // A change waiting to be written is not overwritten by the ECU's value.
  p.page->Choose(kTarget, 3);
  p.rig.session.pending = session::request::kEntry3List;  // the write waits
  p.rig.image.companion[13] = 0;
  p.page->AggiornaVisualizzazioni();
  EXPECT_EQ(p.page->Control(kTarget).choice, 3);
}

TEST(FrmObd, SelectiveClearList) {
  ObdPage p;
  p.rig.table.SetLastAnswer(19, Bytes(28, 0));
  p.rig.table.SetValue(19, 1, 1);
  p.rig.table.SetValue(19, 2, 0x0171);
  p.page->SetDtcText("X0100");
  p.page->AddDtc();
  EXPECT_FALSE(p.page->Notice().empty());
  EXPECT_EQ(p.Tick(), 33);
  p.page->SetDtcText("p0420");
  p.page->AddDtc();
  EXPECT_EQ(p.Tick(), 65);
  EXPECT_EQ(p.List(19), (std::vector<WriteRecord>{{0x0171, 2, 0}, {0x0420, 3, 0}, {2, 1, 0}}));
  EXPECT_EQ(p.Tick(), 66);  // the car's codes read again
  p.rig.session.lists.ClearAll();
  p.rig.table.SetValue(19, 1, 2);
  p.rig.table.SetValue(19, 3, 0x0420);
  p.page->AggiornaVisualizzazioneNew();
  EXPECT_EQ(p.page->Dtcs().selective, (std::vector<std::string>{"P0171", "P0420"}));
  p.page->SelectDtc(0);
  p.page->RemoveDtc();
  EXPECT_EQ(p.Tick(), 65);
  EXPECT_EQ(p.List(19), (std::vector<WriteRecord>{{0x0420, 2, 0}, {0, 3, 0}, {1, 1, 0}}));
}

TEST(FrmObd, TechnicalDataAndTrims) {
  ObdPage p;
  p.page->AggiornaParametriObd();
  EXPECT_EQ(p.page->TechnicalData(), "NUM ECU:  - - \nINIT:  - - \nADR:  - - ");
  auto& t = p.rig.table;
  t.SetLastAnswer(12, Bytes(94, 0));
  for (const auto& [field, value] :
       {std::pair{0, 1}, {1, 6}, {2, 0x10}, {26, 2}, {30, 0}, {34, 255}, {38, 128}, {42, 128}}) {
    t.SetValue(12, static_cast<std::size_t>(field), value);
  }
  p.page->AggiornaParametriObd();
  EXPECT_EQ(p.page->TechnicalData(), "NUM ECU: 1\nINIT: CAN STD500\nADR: 10");
  EXPECT_EQ(p.page->Live().trims, (std::array<int, 4>{-100, 99, 0, 0}));
  EXPECT_TRUE(p.page->Live().ClosedLoop(0));
  EXPECT_EQ(p.page->Texts().fuel.Of(2), "Closed loop");
  p.page->OpenMapWindow();
  EXPECT_EQ(p.rig.window.pages, (std::vector<int>{diag_page::kObdMap}));
}

}  // namespace
}  // namespace velmora::diag
