// Pending requests: first request wins, the dispatch of each code to its
// work (checked on the frames the virtual ECU received), the write lists,
// and what happens to requests when the ECU goes away.

#include <gtest/gtest.h>

#include "core/hex.h"
#include "tests/session/session_rig.h"

namespace velmora::session::testing {
namespace {

namespace st = core::session_state;

// The command byte of an entry's read request.
std::uint8_t ReadCommandOf(const link::MessageTable& table, std::size_t entry) {
  const auto frame = core::HexToBin(table.Entry(entry)->request_hex);
  return frame && frame->size() > 3 ? (*frame)[3] : 0;
}

TEST(SessionRequests, FirstRequestWins) {
  SessionRig rig;
  ASSERT_TRUE(rig.Connect());
  EXPECT_FALSE(rig.session->PostRequest(request::kNone));
  EXPECT_TRUE(rig.session->PostRequest(request::kEntry3List));
  EXPECT_FALSE(rig.session->PostRequest(request::kEntry2List));
  EXPECT_FALSE(rig.session->PostFileRequest(request::kLoadAll, "/x.xsi"));
  EXPECT_TRUE(rig.session->ChosenFile().empty());
  rig.session->ReleaseRequest(request::kEntry2List);  // not the pending one
  EXPECT_EQ(rig.session->PendingRequest(), request::kEntry3List);
  rig.Tick();
  EXPECT_EQ(rig.session->PendingRequest(), request::kNone);
  EXPECT_TRUE(rig.session->PostRequest(request::kEntry2List));
}

struct ListCase {
  int code;
  std::vector<std::size_t> entries;
};

TEST(SessionRequests, EachWriteListCodeWritesItsEntriesWithTheirCommands) {
  const std::vector<ListCase> cases = {
      {7, {3}},      {16, {3}},     {27, {2}},      {40, {11}},     {41, {3, 11}},
      {21, {12}},    {49, {14}},    {54, {15}},     {59, {16}},     {65, {19}},
      {55, {3, 14}}, {57, {3, 15}}, {67, {12, 19}}, {73, {15, 16}},
  };
  for (const ListCase& c : cases) {
    SessionRig rig;
    ASSERT_TRUE(rig.Connect()) << c.code;
    rig.session->SetShownPage(page_id::kLambda);
    std::vector<std::uint8_t> expected;
    for (const std::size_t entry : c.entries) {
      ASSERT_TRUE(rig.session->Lists().Append(entry, {0, 0, 0})) << entry;
      expected.push_back(ReadCommandOf(rig.table, entry));
      expected.push_back(*WriteCommandOf(entry));
      expected.push_back(ReadCommandOf(rig.table, entry));
    }
    const std::size_t before = rig.frames.size();
    ASSERT_TRUE(rig.session->PostRequest(c.code));
    rig.Tick();
    EXPECT_EQ(rig.Commands(before), expected) << "request " << c.code;
    EXPECT_TRUE(rig.session->Lists().Empty()) << c.code;
    EXPECT_EQ(rig.session->PendingRequest(), request::kNone);
    EXPECT_EQ(rig.session->State(), st::kConnected);
    EXPECT_EQ(rig.host.refreshed, std::vector<int>{page_id::kLambda}) << c.code;
    ASSERT_GE(rig.host.states.size(), 2u);
    EXPECT_EQ(rig.host.states[rig.host.states.size() - 2], st::kOperation);
    EXPECT_TRUE(rig.box.shown.empty()) << rig.box.shown.front().text;
  }
}

TEST(SessionRequests, AnEntryListWritesItsValuesAndReadsThemBack) {
  SessionRig rig;
  ASSERT_TRUE(rig.Connect());
  constexpr std::size_t kField = 2;  // the switch-over temperature
  const std::int32_t old = rig.table.Value(3, kField);
  const std::int32_t wanted = old == 45 ? 50 : 45;
  ASSERT_TRUE(rig.session->Lists().Append(3, {wanted, kField, 0}));
  ASSERT_TRUE(rig.session->Lists().Append(3, {999, -1, 0}));  // an empty record
  const std::size_t before = rig.frames.size();
  ASSERT_TRUE(rig.session->PostRequest(request::kEntry3List));
  rig.Tick();
  ASSERT_EQ(rig.frames.size(), before + 3);
  // The write carries the new value at the field's place, the read-back
  // shows the ECU holding it.
  const Bytes& write = rig.frames[before + 1];
  ASSERT_GT(write.size(), 4 + kField);
  EXPECT_EQ(write[4 + kField], wanted);
  EXPECT_EQ(rig.table.Value(3, kField), wanted);
  EXPECT_EQ(rig.parameter, 0);  // the link parameter is back where it was
}

TEST(SessionRequests, TheWriteListsAreEmptiedWhenTheWriteFails) {
  SessionRig rig;
  ASSERT_TRUE(rig.Connect());
  // 36 applies list 3, then fails on the record (not 16 bytes): list 2,
  // never applied, goes too, so the next 27 cannot pick up its records.
  rig.calibration.record = Bytes(3, 0);
  ASSERT_TRUE(rig.session->Lists().Append(3, {1, 2, 0}));
  ASSERT_TRUE(rig.session->Lists().Append(2, {1, 2, 0}));
  const std::size_t before = rig.frames.size();
  ASSERT_TRUE(rig.session->PostRequest(request::kEntry3RecordEntry2));
  rig.Tick();
  EXPECT_EQ(rig.Commands(before).size(), 3u);  // list 3 only
  EXPECT_TRUE(rig.session->Lists().Empty());
  EXPECT_EQ(rig.box.shown.back().text, SessionTexts{}.write_failed);

  ASSERT_TRUE(rig.session->Lists().Append(3, {1, 2, 0}));
  ASSERT_TRUE(rig.session->Lists().Append(11, {1, 2, 0}));
  ASSERT_TRUE(rig.session->PostRequest(request::kEntry3And11));
  rig.ecu_alive = false;
  rig.Tick();
  EXPECT_TRUE(rig.session->Lists().Empty());
  EXPECT_EQ(rig.session->PendingRequest(), request::kNone);
  EXPECT_EQ(rig.box.shown.back().text, SessionTexts{}.write_failed);
}

TEST(SessionRequests, AFailedWriteLeavesTheValuesTheEcuConfirmed) {
  SessionRig rig;
  ASSERT_TRUE(rig.Connect());
  // A write list whose write goes unanswered: the entry shows the ECU's
  // value, not the one listed.
  const std::int32_t old = rig.table.Value(3, 2);
  ASSERT_TRUE(rig.session->Lists().Append(3, {old + 5, 2, 0}));
  rig.device.silent_at_frame = static_cast<int>(rig.frames.size()) + 2;
  ASSERT_TRUE(rig.session->PostRequest(request::kEntry3List));
  rig.Tick();
  EXPECT_EQ(rig.table.Value(3, 2), old);

  // A page's block written whole: its values go out and come back; when the
  // write fails they go back to the ECU's last answer.
  constexpr int kCode = request::kRitCom;
  RequestWork work;
  work.run = [&] { return rig.session->WriteEntry(6, link::cmd::kWriteRitCom); };
  rig.session->Requests().Register(kCode, std::move(work));
  rig.table.SetValue(6, 0, 77);
  ASSERT_TRUE(rig.session->PostRequest(kCode));
  rig.Tick();
  EXPECT_EQ(rig.device.Held("RIT_COM")[0], 77);
  EXPECT_EQ(rig.table.Value(6, 0), 77);
  rig.table.SetValue(6, 0, 88);
  rig.device.silent_at_frame = static_cast<int>(rig.frames.size()) + 1;
  ASSERT_TRUE(rig.session->PostRequest(kCode));
  rig.Tick();
  EXPECT_EQ(rig.device.Held("RIT_COM")[0], 77);
  EXPECT_EQ(rig.table.Value(6, 0), 77);
}

TEST(SessionRequests, TheParameterRecordIsWrittenWholeAndReadBack) {
  for (const int code : {28, 39, 58, 64, 51}) {
    SessionRig rig;
    ASSERT_TRUE(rig.Connect());
    Bytes record;
    for (std::uint8_t i = 0; i < 16; ++i) {
      record.push_back(static_cast<std::uint8_t>(0xA0 + i));
    }
    rig.calibration.record = record;
    const std::size_t before = rig.frames.size();
    ASSERT_TRUE(rig.session->PostRequest(code));
    rig.Tick();
    ASSERT_EQ(rig.Commands(before),
              (std::vector<std::uint8_t>{link::cmd::kWriteCompanion, link::cmd::kReadCompanion}))
        << code;
    EXPECT_EQ(Bytes(rig.frames[before].begin() + 4, rig.frames[before].end() - 1), record);
    EXPECT_EQ(rig.calibration.record, record);
    EXPECT_TRUE(rig.box.shown.empty());
  }
  {
    // A write the ECU does not take: the image goes back to the ECU's record
    // instead of keeping the change for a later write to send along.
    SessionRig rig;
    ASSERT_TRUE(rig.Connect());
    const Bytes held = rig.device.Held("COMPANION");
    rig.calibration.record = Bytes(16, 0xEE);
    rig.device.silent_at_frame = static_cast<int>(rig.frames.size()) + 1;
    ASSERT_TRUE(rig.session->PostRequest(request::kParameterRecord));
    rig.Tick();
    EXPECT_EQ(rig.calibration.record, held);
  }
  SessionRig rig;  // a record that is not 16 bytes is not sent
  ASSERT_TRUE(rig.Connect());
  rig.calibration.record = Bytes(3, 0);
  const std::size_t before = rig.frames.size();
  ASSERT_TRUE(rig.session->PostRequest(request::kParameterRecord));
  rig.Tick();
  EXPECT_EQ(rig.frames.size(), before);
  EXPECT_EQ(rig.box.shown.back().text, SessionTexts{}.write_failed);
}

TEST(SessionRequests, CombinedListAndRecordRequests) {
  SessionRig rig;
  ASSERT_TRUE(rig.Connect());
  const std::uint8_t r3 = ReadCommandOf(rig.table, 3);
  const std::uint8_t r2 = ReadCommandOf(rig.table, 2);
  std::size_t before = rig.frames.size();
  ASSERT_TRUE(rig.session->PostRequest(request::kEntry3RecordEntry2));
  rig.Tick();
  EXPECT_EQ(rig.Commands(before), (std::vector<std::uint8_t>{
                                      r3, link::cmd::kWriteBlock3, r3, link::cmd::kWriteCompanion,
                                      link::cmd::kReadCompanion, r2, link::cmd::kWriteBlock2, r2}));
  before = rig.frames.size();
  ASSERT_TRUE(rig.session->PostRequest(request::kEntry3AndRecord));
  rig.Tick();
  EXPECT_EQ(rig.Commands(before),
            (std::vector<std::uint8_t>{r3, link::cmd::kWriteBlock3, r3, link::cmd::kWriteCompanion,
                                       link::cmd::kReadCompanion}));
}

TEST(SessionRequests, UnknownCodesAreClearedWithoutTrafficAndTheHoldIsLeftAlone) {
  SessionRig rig;
  ASSERT_TRUE(rig.Connect());
  const std::size_t before = rig.frames.size();
  ASSERT_TRUE(rig.session->Lists().Append(15, {1, 2, 0}));
  ASSERT_TRUE(rig.session->PostRequest(99));
  rig.Tick();
  EXPECT_EQ(rig.frames.size(), before);
  EXPECT_EQ(rig.session->PendingRequest(), request::kNone);
  EXPECT_TRUE(rig.session->Lists().Empty());

  // The file dialogs' hold blocks other requests but not the live poll.
  ASSERT_TRUE(rig.session->PostRequest(request::kFileDialogHold));
  rig.Tick();
  rig.Tick();
  EXPECT_EQ(rig.session->PendingRequest(), request::kFileDialogHold);
  EXPECT_EQ(rig.Commands(before),
            (std::vector<std::uint8_t>{link::cmd::kReadLive, link::cmd::kReadLive}));
  EXPECT_FALSE(rig.session->PostRequest(request::kEntry3List));
  rig.session->ReleaseRequest(request::kFileDialogHold);
  EXPECT_EQ(rig.session->PendingRequest(), request::kNone);
}

TEST(SessionRequests, PagesRegisterTheirOwnCodes) {
  SessionRig rig;
  ASSERT_TRUE(rig.Connect());
  int runs = 0;
  RequestWork work;
  work.run = [&] {
    ++runs;
    return rig.table.LeggiVoce(rig.ecu, 4) == link::kOk;
  };
  work.failure_text = "errors failed";
  rig.session->Requests().Register(request::kReadErrors, std::move(work));
  const std::size_t before = rig.frames.size();
  ASSERT_TRUE(rig.session->PostRequest(request::kReadErrors));
  rig.Tick();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(rig.Commands(before), std::vector<std::uint8_t>{ReadCommandOf(rig.table, 4)});
  EXPECT_TRUE(rig.host.refreshed.empty());
}

TEST(SessionRequests, FileRequestsSaveAndLoadThroughTheCalibration) {
  SessionRig rig;
  ASSERT_TRUE(rig.Connect());
  ASSERT_TRUE(rig.session->PostFileRequest(request::kSaveFromEcu, "/data/car.xsi"));
  rig.Tick();
  EXPECT_EQ(rig.calibration.saves, std::vector<std::string>{"/data/car.xsi"});
  for (const int scope : {18, 9, 17, 53}) {
    ASSERT_TRUE(rig.session->PostFileRequest(scope, "/data/in.xsi"));
    rig.Tick();
    EXPECT_EQ(rig.calibration.loads.back(), std::make_pair(std::string("/data/in.xsi"), scope));
  }
  // Read again after each load, and the pages told the image is new.
  EXPECT_EQ(rig.calibration.reads, 5);
  EXPECT_EQ(rig.host.calibration_reads, 5);
  rig.calibration.load_result = false;
  ASSERT_TRUE(rig.session->PostFileRequest(request::kLoadMaps, "/data/in.xsi"));
  rig.Tick();
  EXPECT_EQ(rig.box.shown.back().text, SessionTexts{}.load_failed);
  EXPECT_EQ(rig.calibration.reads, 5);
  EXPECT_EQ(rig.host.calibration_reads, 5);

  // The outcomes are told by the user-interface timer, one per tick.
  for (int i = 0; i < 6; ++i) {
    rig.session->Timer2_Timer();
  }
  EXPECT_EQ(rig.host.notices.size(), 5u);
  EXPECT_EQ(rig.host.notices.front(), SessionTexts{}.saved);
}

TEST(SessionRequests, SlowCommandRequests) {
  SessionRig rig;
  ASSERT_TRUE(rig.Connect());
  const std::uint8_t r5 = ReadCommandOf(rig.table, 5);
  std::size_t before = rig.frames.size();
  ASSERT_TRUE(rig.session->PostRequest(request::kAcquisition));
  rig.Tick();
  EXPECT_EQ(rig.Commands(before),
            (std::vector<std::uint8_t>{link::cmd::kAcquisition, link::cmd::kSlow, r5}));
  EXPECT_EQ(rig.frames[before][4], 1);
  EXPECT_EQ(rig.session->PendingRequest(), request::kEntry15List);  // posted after it
  rig.Tick();
  before = rig.frames.size();
  ASSERT_TRUE(rig.session->PostRequest(request::kAcquisitionMode4));
  rig.Tick();
  EXPECT_EQ(rig.frames[before][4], 4);
  before = rig.frames.size();
  ASSERT_TRUE(rig.session->PostRequest(request::kSlowCommand));
  rig.Tick();
  EXPECT_EQ(rig.Commands(before),
            (std::vector<std::uint8_t>{link::cmd::kSlow, link::cmd::kSlow, r5}));
}

TEST(SessionRequests, DisconnectedRequestsThatNeedTheEcuAreDropped) {
  SessionRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.flags.timeout = true;  // the connection page's disconnect
  rig.Tick();
  ASSERT_EQ(rig.session->State(), st::kDisconnected);
  EXPECT_TRUE(rig.calibration.opens.empty());  // the start-up mark was cleared at connection

  const std::size_t before = rig.frames.size();
  for (const int code : {7, 8, 9, 17, 28, 99}) {
    ASSERT_TRUE(rig.session->Lists().Append(3, {1, 2, 0}));
    ASSERT_TRUE(rig.session->PostFileRequest(code, "/data/a.xsi")) << code;
    rig.Tick();
    EXPECT_EQ(rig.session->PendingRequest(), request::kNone) << code;
    EXPECT_TRUE(rig.session->Lists().Empty()) << code;
  }
  EXPECT_EQ(rig.frames.size(), before);
  EXPECT_TRUE(rig.calibration.opens.empty());
  EXPECT_TRUE(rig.calibration.loads.empty());

  for (const int code : {18, 53}) {
    ASSERT_TRUE(rig.session->PostFileRequest(code, "/data/b.xsi"));
    rig.Tick();
    EXPECT_EQ(rig.session->PendingRequest(), request::kNone);
  }
  EXPECT_EQ(rig.calibration.opens, (std::vector<std::string>{"/data/b.xsi", "/data/b.xsi"}));
  EXPECT_EQ(rig.frames.size(), before);
  EXPECT_EQ(rig.host.calibration_reads, 3);  // the connection's, then each file opened
  rig.calibration.open_result = false;
  ASSERT_TRUE(rig.session->PostFileRequest(request::kLoadAll, "/data/bad.xsi"));
  rig.Tick();
  EXPECT_EQ(rig.host.calibration_reads, 3);
  EXPECT_EQ(rig.box.shown.back().text, SessionTexts{}.load_failed);

  ASSERT_TRUE(rig.session->PostRequest(request::kFileDialogHold));
  rig.Tick();
  EXPECT_EQ(rig.session->PendingRequest(), request::kFileDialogHold);
}

TEST(SessionRequests, WritesPostedForOneEcuNeverReachTheNext) {
  SessionRig rig;
  ASSERT_TRUE(rig.Connect());
  ASSERT_TRUE(rig.session->Lists().Append(3, {1, 2, 0}));
  ASSERT_TRUE(rig.session->PostRequest(request::kEntry3List));
  rig.flags.ecu_lost = true;  // the user picked another port first
  rig.Tick();
  ASSERT_EQ(rig.session->State(), st::kConnected);
  EXPECT_EQ(rig.session->PendingRequest(), request::kNone);
  EXPECT_TRUE(rig.session->Lists().Empty());
  for (int i = 0; i < 3; ++i) {
    rig.Tick();
  }
  for (const auto c : rig.Commands()) {
    EXPECT_NE(c, link::cmd::kWriteBlock3);
  }

  // A calibration file waiting to be loaded is loaded into the ECU found.
  ASSERT_TRUE(rig.session->PostFileRequest(request::kLoadAll, "/data/c.xsi"));
  rig.flags.ecu_lost = true;
  rig.Tick();
  EXPECT_EQ(rig.session->PendingRequest(), request::kLoadAll);
  rig.Tick();
  EXPECT_EQ(rig.calibration.loads,
            (std::vector<std::pair<std::string, int>>{{"/data/c.xsi", request::kLoadAll}}));

  // Disconnecting drops a pending write as well.
  ASSERT_TRUE(rig.session->Lists().Append(2, {1, 2, 0}));
  ASSERT_TRUE(rig.session->PostRequest(request::kEntry2List));
  rig.flags.timeout = true;
  rig.Tick();
  EXPECT_EQ(rig.session->State(), st::kDisconnected);
  EXPECT_EQ(rig.session->PendingRequest(), request::kNone);
  EXPECT_TRUE(rig.session->Lists().Empty());
}

}  // namespace
}  // namespace velmora::session::testing
