// The session against a real LinkSrv and the virtual ECU on a
// pseudo-terminal, driven the way the window's two timers drive it: it finds
// the ECU by scanning, reads the whole calibration, polls the live record,
// writes an entry-3 list, and goes back to connecting when the ECU goes away.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>

#include "calib/calibration_env.h"
#include "calib/calibration_image.h"
#include "core/files.h"
#include "core/paths.h"
#include "core/set_com.h"
#include "link/ecu_identity.h"
#include "link/link_startup.h"
#include "link/port_discovery.h"
#include "link/port_registry.h"
#include "platform/fake/fake_serial_enumerator.h"
#include "platform/fake/fakes.h"
#include "platform/posix/poll_event_pump.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/proc_process_list.h"
#include "session/calib_calibration_service.h"
#include "session/session.h"
#include "tests/e2e/e2e_support.h"
#include "tests/session/session_workstation.h"

namespace velmora::session {
namespace {

namespace st = core::session_state;
using testing::Clock;
using testing::Workstation;

bool Has(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(SessionE2e, ConnectsReadsPollsWritesAndReconnectsAfterTheEcuIsGone) {
  e2e::TempRoot root;
  std::optional<e2e::Sim> sim;
  sim.emplace(root, std::vector<std::string>{"--seed", "5"});
  ASSERT_TRUE(sim->Ready());
  const int port = sim->Port();

  Workstation ws(root.Root());
  ASSERT_TRUE(ws.Start());
  ws.session->Start();
  ASSERT_TRUE(ws.RunUntil([&] { return ws.session->State() == st::kConnected; }, 60))
      << "state " << ws.session->State();
  EXPECT_EQ(ws.session->ConnectedPort(), port);
  EXPECT_EQ(ws.session->Generation(), link::generation::kNex);
  EXPECT_TRUE(Has(ws.host.captions, "Connecting to the ECU on port COM" + std::to_string(port)));
  EXPECT_EQ(ws.host.captions.back(), "ECU connected");
  std::vector<std::string> port_com;
  ASSERT_TRUE(core::LeggiRighe(ws.paths.port_com, port_com));
  ASSERT_FALSE(port_com.empty());
  EXPECT_EQ(port_com.front(), std::to_string(port));

  // The whole calibration is in the image and the message table.
  EXPECT_EQ(ws.image.base_map.size(), 552u);
  EXPECT_EQ(ws.image.adaptive_map.size(), 552u);
  EXPECT_EQ(ws.image.companion.size(), 16u);
  EXPECT_EQ(ws.table.LastAnswer(3).size(), 81u);
  EXPECT_FALSE(ws.table.LastAnswer(16).empty());
  EXPECT_TRUE(ws.box.shown.empty()) << ws.box.shown.front().text;

  // Live polling for three seconds.
  const std::int64_t polls_before = ws.session->PollCount();
  const auto start = Clock::now();
  (void)ws.RunUntil([] { return false; }, 3.0);
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  const std::int64_t polls = ws.session->PollCount() - polls_before;
  std::printf("live polls: %lld in %.2f s, %.1f polls/s\n", static_cast<long long>(polls), elapsed,
              static_cast<double>(polls) / elapsed);
  EXPECT_GT(polls, 0);
  EXPECT_GT(ws.table.Value(1, 32), 0);  // the engine turns

  // An entry-3 write list: the switch-over temperature, read back.
  constexpr std::size_t kField = 2;
  const std::int32_t wanted = ws.table.Value(3, kField) == 45 ? 50 : 45;
  ASSERT_TRUE(ws.session->Lists().Append(3, {wanted, kField, 0}));
  ASSERT_TRUE(ws.session->PostRequest(request::kEntry3List));
  ASSERT_TRUE(ws.RunUntil(
      [&] {
        return ws.session->PendingRequest() == request::kNone &&
               ws.session->State() == st::kConnected;
      },
      20));
  EXPECT_EQ(ws.table.Value(3, kField), wanted);
  std::printf("entry 3 field %zu read back: %d\n", kField, ws.table.Value(3, kField));
  EXPECT_TRUE(ws.box.shown.empty()) << ws.box.shown.front().text;

  // The virtual ECU goes away, its device with it (a pulled adapter): the
  // link reports it, the session searches.
  const std::string device = sim->Device();
  sim.reset();
  ASSERT_TRUE(link::UnregisterPort(link::PortRegistryPath(ws.paths.bin), device));
  // It keeps trying on every port; the search window's stop ends that.
  const std::size_t captions_before = ws.host.captions.size();
  ws.pump.hook = [&] {
    if (ws.session->State() == st::kSearching && ws.host.captions.size() >= captions_before + 4) {
      ws.flags.timeout = true;
    }
  };
  const auto lost_at = Clock::now();
  ASSERT_TRUE(ws.RunUntil([&] { return ws.session->State() == st::kDisconnected; }, 90));
  std::printf("lost, searched and stopped in %.2f s\n",
              std::chrono::duration<double>(Clock::now() - lost_at).count());
  for (const auto& b : ws.box.shown) {
    std::printf("box: %s\n", b.text.c_str());
  }
  ASSERT_FALSE(ws.box.shown.empty());
  EXPECT_EQ(ws.box.shown.front().text, link::pipe_text::kCommError);
  EXPECT_EQ(ws.box.shown.front().caption, link::pipe_text::kCommErrorCaption);
  EXPECT_TRUE(Has(ws.host.titles, SessionTexts{}.not_connected));
  EXPECT_EQ(ws.host.titles.back(), SessionTexts{}.link_lost);
  EXPECT_GE(ws.host.captions.size(), captions_before + 4);
  const std::vector<int> expected_tail = {st::kConnected, st::kOperation, st::kConnected,
                                          st::kSearching, st::kDisconnected};
  ASSERT_GE(ws.host.states.size(), expected_tail.size());
  EXPECT_TRUE(std::equal(expected_tail.begin(), expected_tail.end(),
                         ws.host.states.end() - static_cast<std::ptrdiff_t>(expected_tail.size())));

  // A virtual ECU again, and the connection page's connect: found anew.
  sim.emplace(root, std::vector<std::string>{"--seed", "6"});
  ASSERT_TRUE(sim->Ready());
  ws.pump.hook = nullptr;
  link::ToggleConnection(ws.flags);
  ASSERT_TRUE(ws.RunUntil([&] { return ws.session->State() == st::kConnected; }, 60));
  EXPECT_EQ(ws.session->ConnectedPort(), sim->Port());
  EXPECT_EQ(ws.box.shown.size(), 1u);

  // Closing: the next Timer1 tick unloads, message 1 ends the link server.
  ws.pump.hook = nullptr;
  ws.host.on_unload = [&] { EXPECT_FALSE(ws.session->QueryUnload(UnloadMode::kFromCode)); };
  EXPECT_TRUE(ws.session->QueryUnload(UnloadMode::kControlMenu));
  ASSERT_TRUE(ws.RunUntil([&] { return ws.session->Closed(); }, 10));
  EXPECT_EQ(ws.session->State(), st::kClosing);
  EXPECT_TRUE(ws.RunUntil([&] { return !ws.pipe.LinkAttivo(); }, 10));
  ws.pipe.Detach();
}

}  // namespace
}  // namespace velmora::session
