// The diagnostic pages' request work carried out by the session against the
// virtual ECU's model: the error memory read and erased (or refused), the
// OBD reading started with the protocol search, a trouble code through the
// selective-clear list, and a saved correction map loaded back; and the
// virtual ECU's own diagnosis.
#include <gtest/gtest.h>

#include <memory>

#include "diag/diag_pages.h"
#include "diag/frm_error.h"
#include "diag/frm_mappetta.h"
#include "diag/frm_obd.h"
#include "sim/diag_model.h"
#include "tests/pages/page_fakes.h"
#include "tests/session/session_rig.h"

namespace velmora::diag {
namespace {

namespace request = session::request;
using session::testing::SessionRig;

// A catalogue of 25 errors, "E0" to "E24".
std::string Catalogue() {
  std::string body = "[ERROR_ECU_max_255]\r\n";
  for (int n = 0; n < 25; ++n) {
    body += "E" + std::to_string(n) + "?ok|bad|worse\r\n";
  }
  return body + "[END_ERROR_ECU]\r\n";
}

// The pages' environment over a connected session.
struct Pages {
  Pages() : page_session(*rig.session) {
    paths = core::FillPathTable(rig.dir.Path());
    env = std::make_unique<pages::PageEnv>(
        pages::PageEnv{image, rig.table, page_session, window, rig.box, rig.clock,
                       dictionary.lingue, paths, rig.session->Requests(), nullptr, "Velmora"});
  }
  // Posts `code` and lets the session carry it out.
  void Run(int code) {
    ASSERT_TRUE(rig.session->PostRequest(code));
    rig.Tick();
  }
  std::span<std::uint8_t> Held(const char* region) {
    return rig.device.Model().Memory().Region(region);
  }
  SessionRig rig;
  calib::CalibrationImage image;
  pages::SessionPageSession page_session;
  pages::test::FakePageWindow window;
  pages::test::TestDictionary dictionary{Catalogue()};
  core::PathTable paths;
  std::unique_ptr<pages::PageEnv> env;
};

TEST(DiagSession, ErrorMemoryReadRefusedAndErased) {
  Pages p;
  ASSERT_TRUE(p.rig.Connect());
  p.Held(sim::diag_region::kName)[sim::diag_region::kInjected + 20] = 3;
  p.rig.Tick();  // a live poll: the ECU's diagnosis runs
  FrmError page(*p.env);
  p.Run(request::kReadErrors);
  page.VisualizzaErrori();
  ASSERT_GT(page.Rows().size(), 20u);
  EXPECT_EQ(page.Rows()[20].current_state, 3);
  EXPECT_EQ(page.Rows()[20].stored_state, 3);
  EXPECT_EQ(page.Rows()[5].stored_state, 1);
  // Not on a steady idle: the ECU keeps its memory and the page says why.
  p.Held(sim::diag_region::kName)[sim::diag_region::kEraseAllowed] = 0;
  p.Run(request::kEraseErrors);
  ASSERT_EQ(p.rig.box.shown.size(), 1u);
  EXPECT_EQ(p.rig.box.shown[0].text, page.Texts().erase_refused);
  EXPECT_EQ(p.Held("ERROR_ECU")[20], 3);
  p.Held(sim::diag_region::kName)[sim::diag_region::kEraseAllowed] = 1;
  p.Run(request::kEraseErrors);
  EXPECT_EQ(p.rig.Commands().back(), 0x0F);  // read again after the erase
  page.VisualizzaErrori();
  EXPECT_EQ(page.Rows()[20].current_state, 0);
  EXPECT_EQ(page.Rows()[5].stored_state, 0);
  p.rig.Tick();  // the injected fault was cleared with the memory
  EXPECT_EQ(p.Held("ERROR_ECU")[20], 0);
}

TEST(DiagSession, ObdStartSearchesTheProtocolAndTheListClearsTheCarsCode) {
  Pages p;
  ASSERT_TRUE(p.rig.Connect());
  FrmObd page(*p.env, diag_page::kObdMap);
  page.Choose(ObdControl::kRun, 1);
  const std::size_t from = p.rig.frames.size();
  page.LiveTick();
  p.rig.Tick();
  const auto commands = p.rig.Commands(from);
  EXPECT_EQ(std::count(commands.begin(), commands.end(), 0x46), 3);  // 4, 5, then 6 answers
  EXPECT_EQ(p.rig.table.Value(12, 1), 6);
  EXPECT_EQ(p.rig.table.Value(12, 24), 1);
  EXPECT_EQ(page.StartProtocol(), "CAN STD500");
  EXPECT_FALSE(page.StartWindowShown());

  page.SetDtcText("P0420");
  page.AddDtc();
  page.LiveTick();
  p.rig.Tick();
  EXPECT_EQ(p.Held("OBD_ERR")[1], 1);
  EXPECT_EQ(p.Held("OBD_ERR")[2] | (p.Held("OBD_ERR")[3] << 8), 0x0420);
  page.LiveTick();  // the car's codes are read again
  p.rig.Tick();
  page.AggiornaVisualizzazioneNew();
  EXPECT_EQ(page.Dtcs().selective, (std::vector<std::string>{"P0420"}));
  EXPECT_EQ(page.Dtcs().stored, (std::vector<std::string>{"P0171"}));
}

TEST(DiagSession, SavedMapLoadsBackIntoTheEcu) {
  Pages p;
  ASSERT_TRUE(p.rig.Connect());
  FrmMappetta page(*p.env);
  p.Run(request::kReadTuningTables);
  const Bytes original = p.image.tuning.trisult;
  ASSERT_EQ(original.size(), 127u);
  const std::string file = p.rig.dir.File("map.tun");
  p.window.chosen_files.push_back(file);
  page.SaveMap();
  page.HandleFileButtons();
  page.ResetMap();
  page.HandleFileButtons();
  p.rig.Tick();
  EXPECT_EQ(MapCells(p.image.tuning.trisult), ObdMapCells{});
  p.window.chosen_files.push_back(file);
  page.OpenMap();
  page.HandleFileButtons();
  p.rig.Tick();
  EXPECT_EQ(p.image.tuning.trisult, original);
  EXPECT_EQ(p.rig.box.shown.back().kind, platform::BoxKind::Question);
}

// The virtual ECU's diagnosis on its own: faults it detects, the minutes it
// counts, the erase it refuses while the engine is not idling steadily.
TEST(DiagSession, VirtualEcuDiagnosis) {
  sim::EcuMemory m;
  m.Define("ERROR_ECU", sim::InitialErrorMemory({{12, 1}}));
  m.Define(sim::diag_region::kName, sim::InitialDiagnosis({{12, 1}}));
  m.Define("BLK2", Bytes(20, 0));
  sim::EngineState s;
  s.rpm = 800;
  s.battery_mv = 9000;
  s.level_raw_mv = 2000;
  s.on_gas = true;
  s.switch_phase = 2;
  s.petrol_us[0] = s.petrol_us[1] = 3000;
  s.gas_us[0] = 4200;  // injector 2 does not open
  EXPECT_TRUE(sim::ObserveEngine(s, 125'000'000, m));
  const auto errors = m.Region("ERROR_ECU");
  EXPECT_EQ(errors[12], 1);
  EXPECT_EQ(errors[16], 1);            // battery too low
  EXPECT_EQ(errors[20], 2);            // injector 2
  EXPECT_EQ(errors[32 + 20], 2);       // stored too
  EXPECT_EQ(m.Region("BLK2")[15], 2);  // two minutes on gas
  s.battery_mv = 14000;
  s.blip = true;  // throttle open: no erase now
  (void)sim::ObserveEngine(s, 126'000'000, m);
  EXPECT_EQ(errors[16], 0);
  EXPECT_EQ(errors[32 + 16], 1);
  EXPECT_FALSE(sim::EraseErrors(m));
  s.blip = false;
  s.gas_us[1] = 4200;
  (void)sim::ObserveEngine(s, 127'000'000, m);
  EXPECT_TRUE(sim::EraseErrors(m));
  (void)sim::ObserveEngine(s, 128'000'000, m);
  EXPECT_EQ(Bytes(errors.begin(), errors.end()), Bytes(64, 0));
  EXPECT_EQ(sim::ParseEcuErrors("20:3,12"), (std::vector<sim::EcuError>{{20, 3}, {12, 1}}));
  EXPECT_FALSE(sim::ParseEcuErrors("32"));
  EXPECT_FALSE(sim::ParseEcuErrors("5:x"));
}

}  // namespace
}  // namespace velmora::diag
