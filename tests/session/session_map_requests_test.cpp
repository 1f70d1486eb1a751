// The map pages' requests: the three map writes and the axis write, how each
// ends for the page that posted it (also when it never runs), and the
// calibration-read notice the pages reload their headings on.

#include <gtest/gtest.h>

#include "tests/session/session_rig.h"

namespace velmora::session::testing {
namespace {

namespace st = core::session_state;

using Written = std::vector<std::pair<int, bool>>;

struct MapCase {
  int code;
  int map;
};
constexpr MapCase kMapCases[] = {
    {request::kWriteBank1, 0}, {request::kWriteBank2, 1}, {request::kWriteBank3, 2}};

TEST(SessionMapRequests, EachMapWriteWritesItsMapAndTellsThePageBothWays) {
  for (const MapCase& c : kMapCases) {
    SessionRig rig;
    ASSERT_TRUE(rig.Connect()) << c.code;
    ASSERT_TRUE(rig.session->PostRequest(c.code));
    rig.Tick();
    EXPECT_EQ(rig.calibration.map_writes, std::vector<int>{c.map}) << c.code;
    EXPECT_EQ(rig.host.maps_written, (Written{{c.map, true}})) << c.code;
    EXPECT_TRUE(rig.box.shown.empty()) << c.code;
    EXPECT_EQ(rig.session->PendingRequest(), request::kNone);
    EXPECT_EQ(rig.session->State(), st::kConnected);

    // A failed write gives the page its buttons back too, then says so.
    rig.calibration.map_write_result = false;
    ASSERT_TRUE(rig.session->PostRequest(c.code));
    rig.Tick();
    EXPECT_EQ(rig.calibration.map_writes, (std::vector<int>{c.map, c.map}));
    EXPECT_EQ(rig.host.maps_written, (Written{{c.map, true}, {c.map, false}})) << c.code;
    ASSERT_EQ(rig.box.shown.size(), 1u) << c.code;
    EXPECT_EQ(rig.box.shown.front().text, SessionTexts{}.map_write_failed);
    EXPECT_EQ(rig.session->State(), st::kConnected);
    EXPECT_TRUE(rig.session->PostRequest(request::kEntry3List));  // nothing left blocking
  }
}

TEST(SessionMapRequests, AFailureIsToldInTheLanguageChosenAfterStartUp) {
  SessionRig rig;
  ASSERT_TRUE(rig.Connect());
  SessionTexts texts;
  texts.map_write_failed = "Scrittura mappa fallita";
  texts.axes_write_failed = "Scrittura assi fallita";
  rig.session->SetTexts(texts);
  rig.calibration.map_write_result = false;
  rig.calibration.axis_write_result = false;
  ASSERT_TRUE(rig.session->PostRequest(request::kWriteBank2));
  rig.Tick();
  ASSERT_TRUE(rig.session->PostRequest(request::kAxes));
  rig.Tick();
  ASSERT_EQ(rig.box.shown.size(), 2u);
  EXPECT_EQ(rig.box.shown[0].text, "Scrittura mappa fallita");
  EXPECT_EQ(rig.box.shown[1].text, "Scrittura assi fallita");
}

TEST(SessionMapRequests, TheAxisWriteIsFollowedByAFreshConnectionAndRead) {
  for (const bool write_ok : {true, false}) {
    SessionRig rig;
    ASSERT_TRUE(rig.Connect());
    ASSERT_EQ(rig.calibration.reads, 1);
    ASSERT_EQ(rig.host.calibration_reads, 1);  // the connection's own read
    const std::size_t opens = rig.opened.size();
    rig.calibration.axis_write_result = write_ok;
    ASSERT_TRUE(rig.session->PostRequest(request::kAxes));
    rig.Tick();
    EXPECT_EQ(rig.calibration.axis_writes, 1);
    EXPECT_TRUE(rig.flags.ecu_lost) << write_ok;
    EXPECT_EQ(rig.box.shown.size(), write_ok ? 0u : 1u);
    if (!write_ok) {
      EXPECT_EQ(rig.box.shown.front().text, SessionTexts{}.axes_write_failed);
    }
    rig.Tick();  // the connect-and-read sequence
    EXPECT_EQ(rig.session->State(), st::kConnected) << write_ok;
    EXPECT_GT(rig.opened.size(), opens);
    EXPECT_EQ(rig.calibration.reads, 2);
    EXPECT_EQ(rig.host.calibration_reads, 2);
    EXPECT_TRUE(rig.host.maps_written.empty());
  }
}

TEST(SessionMapRequests, AnAxisWriteThatTimesOutEndsDisconnectedNotSearching) {
  SessionRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.calibration.axis_write_result = false;
  rig.calibration.during_axis_write = [&] { rig.flags.timeout = true; };
  ASSERT_TRUE(rig.session->PostRequest(request::kAxes));
  rig.Tick();
  EXPECT_FALSE(rig.flags.ecu_lost);
  rig.Tick();
  EXPECT_EQ(rig.session->State(), st::kDisconnected);
  EXPECT_EQ(rig.calibration.reads, 1);
}

TEST(SessionMapRequests, AMapWriteThatNeverRunsStillGivesThePageItsButtonsBack) {
  SessionRig rig;
  ASSERT_TRUE(rig.Connect());
  // The ECU is lost before the write's turn: the reconnection drops it.
  ASSERT_TRUE(rig.session->PostRequest(request::kWriteBank1));
  rig.flags.ecu_lost = true;
  rig.Tick();
  EXPECT_EQ(rig.session->PendingRequest(), request::kNone);
  EXPECT_EQ(rig.host.maps_written, (Written{{0, false}}));

  // Disconnected by the user: dropped at the disconnection.
  ASSERT_TRUE(rig.session->PostRequest(request::kWriteBank2));
  rig.flags.timeout = true;
  rig.Tick();
  ASSERT_EQ(rig.session->State(), st::kDisconnected);
  EXPECT_EQ(rig.host.maps_written, (Written{{0, false}, {1, false}}));

  // Posted while disconnected: dropped by the offline turn, and so is the
  // axis write, without a word to any map page.
  ASSERT_TRUE(rig.session->PostRequest(request::kWriteBank3));
  rig.Tick();
  ASSERT_TRUE(rig.session->PostRequest(request::kAxes));
  rig.Tick();
  EXPECT_EQ(rig.session->PendingRequest(), request::kNone);
  EXPECT_EQ(rig.host.maps_written, (Written{{0, false}, {1, false}, {2, false}}));
  EXPECT_TRUE(rig.calibration.map_writes.empty());
  EXPECT_EQ(rig.calibration.axis_writes, 0);
  EXPECT_TRUE(rig.box.shown.empty());
  EXPECT_TRUE(rig.host.refused.empty());  // dropped, not refused
}

TEST(SessionMapRequests, AfterAReadThatFailedPartWayNoImageDataIsWritten) {
  SessionRig rig;
  rig.calibration.read_result = false;  // the image keeps the offline file's maps
  ASSERT_TRUE(rig.Connect());
  EXPECT_EQ(rig.host.calibration_reads, 1);  // the pages show what was read
  // Map, axis and record writes are refused without a frame; the map pages
  // get their buttons back and everyone is told why.
  const std::size_t before = rig.frames.size();
  for (const int code : {11, 63, 62, 23, 28, 39, 58, 64, 51, 35, 36}) {
    ASSERT_TRUE(rig.session->Lists().Append(3, {1, 2, 0}));
    ASSERT_TRUE(rig.session->Lists().Append(2, {1, 2, 0}));
    ASSERT_TRUE(rig.session->PostRequest(code));
    rig.Tick();
    EXPECT_EQ(rig.session->PendingRequest(), request::kNone) << code;
    EXPECT_EQ(rig.box.shown.back().text, SessionTexts{}.image_not_read) << code;
    EXPECT_EQ(rig.session->State(), st::kConnected) << code;
    if (code == request::kEntry3AndRecord) {
      EXPECT_TRUE(rig.session->Lists().Of(3).empty());
    }
  }
  EXPECT_TRUE(rig.session->Lists().Empty());  // 36 took both of its lists
  EXPECT_EQ(rig.frames.size(), before);
  EXPECT_EQ(rig.host.maps_written, (Written{{0, false}, {1, false}, {2, false}}));
  EXPECT_TRUE(rig.calibration.map_writes.empty());
  EXPECT_EQ(rig.calibration.axis_writes, 0);
  EXPECT_EQ(rig.box.shown.size(), 11u);
  EXPECT_EQ(rig.host.refused, (std::vector<int>{11, 63, 62, 23, 28, 39, 58, 64, 51, 35, 36}));

  // A write list reads its entry first: it still runs.
  ASSERT_TRUE(rig.session->Lists().Append(3, {1, 2, 0}));
  ASSERT_TRUE(rig.session->PostRequest(request::kEntry3List));
  rig.Tick();
  EXPECT_EQ(rig.box.shown.size(), 11u);

  // A load whose full read succeeds lets them run again; one whose read
  // fails part way stops them again.
  rig.calibration.read_result = true;
  ASSERT_TRUE(rig.session->PostFileRequest(request::kLoadAll, "/data/in.xsi"));
  rig.Tick();
  ASSERT_TRUE(rig.session->PostRequest(request::kWriteBank2));
  rig.Tick();
  EXPECT_EQ(rig.calibration.map_writes, std::vector<int>{1});
  rig.calibration.read_result = false;
  ASSERT_TRUE(rig.session->PostFileRequest(request::kLoadMaps, "/data/in.xsi"));
  rig.Tick();
  EXPECT_EQ(rig.host.captions.back(), SessionTexts{}.read_failed);
  ASSERT_TRUE(rig.session->PostRequest(request::kWriteBank2));
  rig.Tick();
  EXPECT_EQ(rig.calibration.map_writes, std::vector<int>{1});
  EXPECT_EQ(rig.box.shown.back().text, SessionTexts{}.image_not_read);
}

}  // namespace
}  // namespace velmora::session::testing
