// The connect-and-identify sequence and the state transitions around it, on
// a fake clock and a fake link server in front of the virtual ECU's model.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/files.h"
#include "link/ecu_identity.h"
#include "link/port_com.h"
#include "tests/session/session_rig.h"

namespace velmora::session::testing {
namespace {

namespace st = core::session_state;

int CountOf(const std::vector<std::uint8_t>& types, link::MsgType type) {
  return static_cast<int>(std::count(types.begin(), types.end(), static_cast<std::uint8_t>(type)));
}

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(SessionConnect, RememberedPortIsUsedFirstAndKept) {
  SessionRig rig;
  ASSERT_TRUE(core::WriteFileAtomic(rig.dir.File("PortCom.ini"), " 7 \r\n"));
  ASSERT_TRUE(rig.Connect(7));

  EXPECT_EQ(rig.opened, std::vector<int>{7});
  EXPECT_EQ(rig.session->RememberedPort(), 7);
  EXPECT_EQ(rig.session->ConnectedPort(), 7);
  EXPECT_EQ(link::ReadRememberedPort(rig.dir.File("PortCom.ini")), 7);
  EXPECT_EQ(rig.host.states, std::vector<int>{st::kConnected});  // it starts searching

  // Reset, the plain ECU wait (500 ms), prepare, profiles, port, prepare
  // again, then the matched entry's own request to the ECU before the full read.
  using link::MsgType;
  const std::vector<MsgType> order = {
      MsgType::kReset,    MsgType::kSetEcuWait, MsgType::kPrepare, MsgType::kSetProfiles,
      MsgType::kOpenPort, MsgType::kPrepare,    MsgType::kEcuFrame};
  ASSERT_GE(rig.types.size(), order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(rig.types[i], static_cast<std::uint8_t>(order[i])) << i;
  }
  EXPECT_EQ(rig.link.requests[1].payload, (Bytes{0xF4, 0x01, 0, 0}));
  EXPECT_EQ(CountOf(rig.types, MsgType::kSetEcuWait), 1);
  ASSERT_FALSE(rig.frames.empty());
  EXPECT_EQ(rig.frames[0][3], link::cmd::kIdentify);
  EXPECT_EQ(rig.table.LastAnswer(0).size(), 68u);

  EXPECT_EQ(rig.calibration.reads, 1);
  EXPECT_EQ(rig.session->Generation(), link::generation::kNex);
  EXPECT_EQ(rig.calibration.capabilities, (EcuCapabilities{true, true, true}));
  EXPECT_TRUE(rig.calibration.defaults.empty());
  EXPECT_FALSE(rig.session->StartupMark());
  EXPECT_TRUE(Contains(rig.host.captions, "Connecting to the ECU on port COM7"));
  EXPECT_EQ(rig.host.captions.back(), "ECU connected");
  EXPECT_EQ(rig.host.titles.front(), SessionTexts{}.not_connected);
  EXPECT_EQ(rig.host.titles.back(), "Velmora");
  EXPECT_EQ(rig.host.firmware_checks, 1);

  // Connected: one read of the live record per tick.
  const std::size_t before = rig.frames.size();
  for (int i = 0; i < 4; ++i) {
    rig.Tick();
  }
  EXPECT_EQ(rig.Commands(before), std::vector<std::uint8_t>(4, link::cmd::kReadLive));
  EXPECT_EQ(rig.session->PollCount(), 4);
}

TEST(SessionConnect, OlderHardwareGetsTheDefaultBlockImages) {
  SessionRig rig(sim::Hardware::kSecond);
  ASSERT_TRUE(rig.Connect(3));
  EXPECT_EQ(rig.session->Generation(), link::generation::k2nd);
  ASSERT_EQ(rig.calibration.defaults.size(), 1u);
  EXPECT_EQ(rig.calibration.defaults[0], EcuCapabilities{});
}

TEST(SessionConnect, ARememberedPortThatIsNotANumberIsIgnoredAndThePortsScanned) {
  for (const char* line : {"COM7", "7.5", "300", "-1", ""}) {
    SessionRig rig;
    ASSERT_TRUE(core::WriteFileAtomic(rig.dir.File("PortCom.ini"), std::string(line) + "\r\n"));
    ASSERT_TRUE(rig.Connect(7)) << line;
    EXPECT_EQ(rig.opened, (std::vector<int>{0, 3, 7})) << line;
    EXPECT_FALSE(rig.session->RememberedPort().has_value()) << line;
    EXPECT_EQ(link::ReadRememberedPort(rig.dir.File("PortCom.ini")), 7) << line;
  }
}

TEST(SessionConnect, ARememberedPortThatNeverAnswersIsRetriedWithoutScanning) {
  SessionRig rig;
  ASSERT_TRUE(core::WriteFileAtomic(rig.dir.File("PortCom.ini"), "9\r\n"));
  rig.answering_ports = {3};  // an ECU elsewhere is never looked for
  rig.link.on_pump = [&] {
    if (rig.opened.size() >= 12) {
      rig.flags.timeout = true;  // the search window's stop button
    }
  };
  rig.session->Start();
  rig.Tick();
  EXPECT_EQ(rig.session->State(), st::kSearching);
  EXPECT_EQ(rig.opened, std::vector<int>(12, 9));
  EXPECT_EQ(rig.enumerator.listings, 1);

  // The stop is handled on the next tick: disconnected, the link told so.
  rig.link.on_pump = nullptr;
  const std::size_t before = rig.types.size();
  rig.Tick();
  EXPECT_EQ(rig.session->State(), st::kDisconnected);
  EXPECT_FALSE(rig.flags.timeout);
  EXPECT_EQ(CountOf({rig.types.begin() + static_cast<std::ptrdiff_t>(before), rig.types.end()},
                    link::MsgType::kSetParameter),
            1);
  EXPECT_EQ(rig.parameter, link::kLongOperationParameter);
  EXPECT_EQ(rig.host.titles.back(), SessionTexts{}.link_lost);
}

TEST(SessionConnect, ScanningListsThePortsAgainAfterTheLastPortOrFiveAttempts) {
  {
    SessionRig rig;  // USB, COM3, COM7, COM9: the end of the list comes first
    rig.link.on_pump = [&] {
      if (rig.opened.size() >= 10) {
        rig.flags.timeout = true;
      }
    };
    rig.session->Start();
    rig.Tick();
    EXPECT_EQ(rig.opened, (std::vector<int>{0, 3, 7, 9, 0, 3, 7, 9, 0, 3}));
    EXPECT_EQ(rig.enumerator.listings, 3);
  }
  {
    SessionRig rig;  // seven ports: five attempts come first
    rig.enumerator.devices.clear();
    for (int n = 1; n <= 6; ++n) {
      rig.enumerator.devices.push_back(
          platform::FakeSerialEnumerator::Named("Adapter (COM" + std::to_string(n) + ")"));
    }
    rig.link.on_pump = [&] {
      if (rig.opened.size() >= 11) {
        rig.flags.timeout = true;
      }
    };
    rig.session->Start();
    rig.Tick();
    EXPECT_EQ(rig.opened, (std::vector<int>{0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 0}));
    EXPECT_EQ(rig.enumerator.listings, 3);
    EXPECT_EQ(rig.host.listings.size(), 3u);
  }
}

TEST(SessionConnect, APortChosenDuringTheSearchIsTakenAtTheNextTick) {
  SessionRig rig;
  rig.answering_ports = {9};
  rig.link.on_pump = [&] {
    if (rig.opened.size() == 2 && !rig.flags.ecu_lost) {
      // The connection page: the user picks COM9 from the selector.
      ASSERT_TRUE(
          link::SelectPort(rig.host.listings.back(), 3, rig.dir.File("PortCom.ini"), rig.flags));
    }
  };
  rig.session->Start();
  rig.Tick();
  EXPECT_EQ(rig.opened, (std::vector<int>{0, 3}));
  EXPECT_EQ(rig.session->State(), st::kSearching);
  rig.link.on_pump = nullptr;
  rig.Tick();
  EXPECT_EQ(rig.session->State(), st::kConnected);
  EXPECT_EQ(rig.opened, (std::vector<int>{0, 3, 9}));
  EXPECT_EQ(rig.session->RememberedPort(), 9);
}

TEST(SessionConnect, AnEcuOfAnotherKindDoesNotHoldTheScan) {
  SessionRig rig;
  rig.set_com.firmware1.clear();  // nothing matches
  rig.Build();
  rig.answering_ports = {0, 3, 7, 9};
  rig.link.on_pump = [&] {
    if (rig.opened.size() >= 5) {
      rig.flags.timeout = true;
    }
  };
  rig.session->Start();
  rig.Tick();
  EXPECT_EQ(rig.opened, (std::vector<int>{0, 3, 7, 9, 0}));
}

TEST(SessionConnect, ClosingDuringTheConnectLoopClosesOnTheFollowingTick) {
  SessionRig rig;
  rig.processes.processes = {{55, rig.processes.self_uid, "LinkSrv", "/opt/velmora/bin/LinkSrv"}};
  rig.link.on_pump = [&] {
    if (rig.opened.size() == 3 && !rig.flags.exit_request) {
      EXPECT_TRUE(rig.session->QueryUnload(UnloadMode::kControlMenu));  // cancelled
    }
  };
  rig.host.on_unload = [&] { EXPECT_FALSE(rig.session->QueryUnload(UnloadMode::kFromCode)); };
  rig.session->Start();
  rig.Tick();
  EXPECT_EQ(rig.opened.size(), 3u);  // the loop ended at its next check
  EXPECT_FALSE(rig.host.timer2_enabled);
  EXPECT_EQ(rig.host.unloads, 0);
  EXPECT_EQ(rig.host.firmware_checks, 0);  // nothing more is offered on the way out
  EXPECT_EQ(rig.session->State(), st::kSearching);

  rig.Tick();
  EXPECT_EQ(rig.session->State(), st::kClosing);
  EXPECT_EQ(rig.host.unloads, 1);
  EXPECT_TRUE(rig.session->Closed());
  EXPECT_EQ(rig.types.back(), static_cast<std::uint8_t>(link::MsgType::kShutdown));
  EXPECT_EQ(rig.host.closed_windows, 1);

  rig.Tick();  // nothing more happens
  EXPECT_EQ(rig.host.unloads, 1);
}

TEST(SessionConnect, ALostLinkGoesBackToConnectingAndConnectsAgain) {
  SessionRig rig;
  ASSERT_TRUE(rig.Connect(7));
  rig.ecu_alive = false;
  rig.Tick();  // the live read fails and the link reports no ECU
  EXPECT_TRUE(rig.flags.ecu_lost);
  ASSERT_FALSE(rig.box.shown.empty());
  EXPECT_EQ(rig.box.shown.back().text, link::pipe_text::kCommError);

  const std::size_t opened_before = rig.opened.size();
  rig.link.on_pump = [&] {
    if (rig.opened.size() >= opened_before + 2) {
      rig.ecu_alive = true;  // the ECU is back
    }
  };
  rig.Tick();
  EXPECT_EQ(rig.session->State(), st::kConnected);
  EXPECT_EQ(rig.host.states, (std::vector<int>{st::kConnected, st::kSearching, st::kConnected}));
  EXPECT_EQ(rig.calibration.reads, 2);
  EXPECT_EQ(rig.host.titles[rig.host.titles.size() - 2], SessionTexts{}.not_connected);
  EXPECT_EQ(CountOf(rig.types, link::MsgType::kSetEcuWait), 2);  // each connection sets it
}

TEST(SessionConnect, AReplyTimeOutEndsTheProgramWithoutAskingTheLinkAgain) {
  SessionRig rig;
  rig.processes.processes = {{55, rig.processes.self_uid, "LinkSrv", "/opt/velmora/bin/LinkSrv"}};
  ASSERT_TRUE(rig.Connect(7));
  rig.host.on_unload = [&] { EXPECT_FALSE(rig.session->QueryUnload(UnloadMode::kFromCode)); };
  rig.link_silent = true;
  rig.Tick();
  ASSERT_FALSE(rig.box.shown.empty());
  EXPECT_EQ(rig.box.shown.back().text, link::pipe_text::kTimeOut);
  EXPECT_TRUE(rig.flags.exit_request);

  const std::size_t before = rig.types.size();
  rig.Tick();
  ASSERT_GE(rig.host.states.size(), 2u);
  EXPECT_EQ(rig.host.states[rig.host.states.size() - 2], st::kDisconnected);
  EXPECT_EQ(rig.host.states.back(), st::kClosing);
  EXPECT_EQ(rig.host.unloads, 1);
  EXPECT_EQ(rig.types.size(), before);  // neither message 4 nor message 1
  EXPECT_EQ(rig.box.shown.size(), 1u);
}

TEST(SessionConnect, StoppedBeforeAnyEcuTheDefaultCalibrationIsOpenedOffline) {
  SessionRig rig;
  rig.link.on_pump = [&] {
    if (rig.opened.size() >= 2) {
      rig.flags.timeout = true;
    }
  };
  rig.session->Start();
  rig.Tick();
  rig.Tick();
  EXPECT_EQ(rig.session->State(), st::kDisconnected);
  EXPECT_EQ(rig.calibration.opens,
            std::vector<std::string>{rig.dir.File("00 Direct Inj Custom.xsi")});
  EXPECT_EQ(rig.session->PendingRequest(), request::kNone);
  EXPECT_FALSE(rig.session->StartupMark());

  // A second stop does not open it again.
  rig.flags.ecu_lost = true;
  rig.link.on_pump = [&] { rig.flags.timeout = true; };
  rig.Tick();
  rig.Tick();
  EXPECT_EQ(rig.calibration.opens.size(), 1u);
}

TEST(SessionConnect, ABlankEcuRefusesToCloseUntilThePagesResume) {
  SessionRig rig;
  ASSERT_TRUE(rig.Connect(7));
  rig.session->SetPageEvent(page_event::kBlankCheck);  // an ECU with its firmware
  rig.Tick();
  EXPECT_EQ(rig.session->State(), st::kConnected);

  rig.table.SetLastAnswer(0, Bytes{0x42, 0x01, 0x04, 0x21, 0x14, 0x72});
  rig.session->SetPageEvent(page_event::kBlankCheck);
  rig.Tick();
  EXPECT_EQ(rig.session->State(), st::kBlankEcu);
  EXPECT_FALSE(rig.host.pages_enabled);
  EXPECT_FALSE(rig.host.timer2_enabled);
  EXPECT_EQ(rig.host.titles.back(), SessionTexts{}.blank_ecu);
  EXPECT_TRUE(rig.session->QueryUnload(UnloadMode::kControlMenu));
  EXPECT_TRUE(rig.session->QueryUnload(UnloadMode::kFromCode));
  EXPECT_FALSE(rig.flags.exit_request);
  EXPECT_FALSE(rig.session->Closed());

  const std::size_t before = rig.frames.size();
  rig.Tick();  // no polling in this state
  EXPECT_EQ(rig.frames.size(), before);

  rig.session->SetPageEvent(page_event::kResume);
  rig.Tick();
  EXPECT_TRUE(rig.flags.ecu_lost);
  EXPECT_TRUE(rig.host.pages_enabled);
  EXPECT_TRUE(rig.host.timer2_enabled);
  rig.Tick();
  EXPECT_EQ(rig.session->State(), st::kConnected);
  EXPECT_FALSE(rig.session->QueryUnload(UnloadMode::kSystem));
}

}  // namespace
}  // namespace velmora::session::testing
