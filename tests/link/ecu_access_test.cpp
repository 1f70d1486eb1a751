#include "link/ecu_access.h"

#include <gtest/gtest.h>

#include "core/hex.h"
#include "link/bank_transfer.h"
#include "link/slow_command.h"
#include "link/tuning_tables.h"
#include "sim/commands.h"
#include "tests/support/model_ecu.h"

namespace velmora::link {
namespace {

using testing::ChannelRig;
namespace region = sim::region;

constexpr LinkTimes kTimes{1'000'000, 500'000, 20};

// The link code against the virtual ECU's model behind the fake link.
struct EcuRig {
  ChannelRig rig;
  test::ModelEcu ecu;
  EcuAccess access{rig.pipe, kTimes};

  EcuRig() { ecu.Attach(rig.link); }

  // The message types the link received, in order.
  std::vector<int> Types() const {
    std::vector<int> out;
    for (const auto& r : rig.link.requests) {
      out.push_back(r.type);
    }
    return out;
  }
  // Payload bytes of the message 4 requests.
  const std::vector<int>& ParameterValues() const { return ecu.parameters; }
  // Puts the link parameter at `value`, as an earlier reply left it.
  void StartWithParameter(std::uint8_t value) {
    ASSERT_EQ(access.SetParameter(value), kOk);
    rig.link.requests.clear();
    ecu.parameters.clear();
  }
};

TEST(EcuFrames, StoredCommandsAndFixedFrames) {
  EXPECT_EQ(core::BinToHex(RequestFrame(cmd::kIdentify).value()), kCmdReadMem1);
  EXPECT_EQ(core::BinToHex(RequestFrame(cmd::kReadObdData).value()), kCmdReadObdData);

  const Bytes trisult = ResetFrame(TuningTable::kTRisult);
  ASSERT_EQ(trisult.size(), 125u);
  EXPECT_EQ(trisult[2], 0x7B);
  EXPECT_EQ(trisult[3], 0x40);
  EXPECT_EQ(Bytes(trisult.begin() + 4, trisult.end() - 1), Bytes(120, 0));
  EXPECT_EQ(CheckXor(trisult), 0);
  EXPECT_EQ(core::BinToHex(ResetFrame(TuningTable::kTBenz)), "4102031D5D");
  EXPECT_EQ(core::BinToHex(ResetFrame(TuningTable::kTGas)), "4102031E5E");
  EXPECT_EQ(core::BinToHex(ResetFrame(TuningTable::kTIsto)), "4102033F7F");
}

TEST(EcuFrames, EcuWaitIsMillisecondsSaturatedAtSixteenBits) {
  EXPECT_EQ(EcuWaitPayload(500'000, 1), (Bytes{0xF4, 0x01, 0, 0}));
  EXPECT_EQ(EcuWaitPayload(500'000, 20), (Bytes{0x10, 0x27, 0, 0}));
  EXPECT_EQ(EcuWaitPayload(65'535'999, 1), (Bytes{0xFF, 0xFF, 0, 0}));
  EXPECT_EQ(EcuWaitPayload(65'536'000, 1), (Bytes{0xFF, 0xFF, 0, 0}));
  EXPECT_EQ(EcuWaitPayload(5'000'000, 20), (Bytes{0xFF, 0xFF, 0, 0}));
  EXPECT_EQ(EcuWaitPayload(INT64_MAX, INT64_MAX), (Bytes{0xFF, 0xFF, 0, 0}));
  EXPECT_EQ(EcuWaitPayload(1'999, 1), (Bytes{1, 0, 0, 0}));  // integer part
  EXPECT_EQ(EcuWaitPayload(-5, 3), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(EcuWaitPayload(500'000, 0), (Bytes{0, 0, 0, 0}));

  EcuRig e;
  ASSERT_EQ(e.access.SetEcuWait(true), kOk);
  ASSERT_EQ(e.access.SetEcuWait(false), kOk);
  ASSERT_EQ(e.rig.link.requests.size(), 2u);
  EXPECT_EQ(e.rig.link.requests[0].type, 8);
  EXPECT_EQ(e.rig.link.requests[0].payload, (Bytes{0x10, 0x27, 0, 0}));
  EXPECT_EQ(e.rig.link.requests[1].payload, (Bytes{0xF4, 0x01, 0, 0}));
}

TEST(EcuCommands, CustomCommandText) {
  EcuRig e;
  const CustomAnswer ok = e.access.InviaComandoCustom("4102032161");
  EXPECT_EQ(ok.code, kOk);
  // The whole identity answer, header to check byte.
  const auto identity = e.ecu.Model().Answer(Bytes{0x41, 0x02, 0x03, 0x21, 0x61});
  ASSERT_TRUE(identity);
  EXPECT_EQ(ok.text, core::BinToHex(identity->frame));
  EXPECT_EQ(ok.text.size(), 2 * 68u);
  ASSERT_EQ(e.ecu.frames.size(), 1u);
  EXPECT_EQ(e.ecu.frames[0], (Bytes{0x41, 0x02, 0x03, 0x21, 0x61}));
  EXPECT_EQ(e.rig.link.requests[0].type, 6);

  const CustomAnswer spaced = e.access.InviaComandoCustom("41020344 04");
  EXPECT_EQ(spaced.text, " ** ERROR ** ");
  EXPECT_EQ(spaced.code, kInvalidRequest);
  EXPECT_EQ(e.rig.link.requests.size(), 1u);  // nothing sent
  EXPECT_TRUE(e.rig.box.shown.empty());

  e.ecu.silent_at_frame = 2;
  const CustomAnswer failed = e.access.InviaComandoCustom("4102034404");
  EXPECT_EQ(failed.text, " ** ERROR ** ");
  EXPECT_EQ(failed.code, kNoExchange);
  ASSERT_EQ(e.rig.box.shown.size(), 1u);
  EXPECT_EQ(e.rig.box.shown[0].text, "Error 007 - Time Out");
}

TEST(BankTransfer, ReadSendsFiveChunksAndTheCompanionUnderTheWrap) {
  EcuRig e;
  e.StartWithParameter(7);
  BankImage image;
  ASSERT_EQ(LeggiBanco(e.access, cmd::kReadBank1, &image), kOk);
  EXPECT_EQ(image.map, e.ecu.Held(region::kBank1));
  EXPECT_EQ(image.companion, e.ecu.Held(region::kCompanion));
  EXPECT_EQ(e.Types(), (std::vector<int>{4, 6, 6, 6, 6, 6, 6, 4}));
  EXPECT_EQ(e.ParameterValues(), (std::vector<int>{2, 7}));
  ASSERT_EQ(e.ecu.frames.size(), 6u);
  const std::vector<Bytes> data = {{0x00, 0x00, 0x6E},
                                   {0x6E, 0x00, 0x6E},
                                   {0xDC, 0x00, 0x6E},
                                   {0x4A, 0x01, 0x6E},
                                   {0xB8, 0x01, 0x70}};
  for (std::size_t i = 0; i < data.size(); ++i) {
    const Bytes& f = e.ecu.frames[i];
    EXPECT_EQ(f.size(), 8u);
    EXPECT_EQ(f[2], 6);
    EXPECT_EQ(f[3], 0x12);
    EXPECT_EQ(Bytes(f.begin() + 4, f.begin() + 7), data[i]);
    EXPECT_EQ(CheckXor(f), 0);
  }
  EXPECT_EQ(e.ecu.frames[5], (Bytes{0x41, 0x02, 0x03, 0x31, 0x71}));

  // Banks 2 and 3 have no companion.
  BankImage second;
  ASSERT_EQ(LeggiBanco(e.access, cmd::kReadBank3, &second), kOk);
  EXPECT_EQ(second.map, e.ecu.Held(region::kBank3));
  EXPECT_TRUE(second.companion.empty());
  EXPECT_EQ(e.ecu.Commands().back(), 0x78);
}

TEST(BankTransfer, FailedOrShortReadKeepsTheCallersCopyAndTheParameterAtTwo) {
  for (const bool short_answer : {false, true}) {
    EcuRig e;
    e.StartWithParameter(7);
    if (short_answer) {
      e.ecu.short_at_frame = 3;
    } else {
      e.ecu.silent_at_frame = 3;
    }
    BankImage image{Bytes{1, 2, 3}, {}};
    const int code = LeggiBanco(e.access, cmd::kReadBank2, &image);
    EXPECT_EQ(code, short_answer ? kShortPayload : kNoExchange);
    EXPECT_EQ(image.map, (Bytes{1, 2, 3}));
    EXPECT_EQ(e.ParameterValues(), std::vector<int>{2});  // not restored
    EXPECT_EQ(e.ecu.frames.size(), 3u);                   // stopped at the failure
    ASSERT_EQ(e.rig.box.shown.size(), 1u);
    EXPECT_EQ(e.rig.box.shown[0].text,
              short_answer ? "Error 006 - Comunication error" : "Error 007 - Time Out");
  }
  // The companion answer must carry its 16 bytes as well.
  EcuRig c;
  c.ecu.short_at_frame = 6;
  BankImage image;
  EXPECT_EQ(LeggiBanco(c.access, cmd::kReadBank1, &image), kShortPayload);
  EXPECT_TRUE(image.map.empty());
}

TEST(BankTransfer, WriteSendsOnlyWhatChangedUnlessForcedAndAlwaysReadsBack) {
  EcuRig e;
  e.StartWithParameter(9);
  BankImage copy;
  ASSERT_EQ(LeggiBanco(e.access, cmd::kReadBank1, &copy), kOk);
  e.ecu.parameters.clear();
  e.ecu.frames.clear();

  // Nothing changed: no write frame, but the bank and record are read back.
  BankImage back;
  ASSERT_EQ(ScriviBanco(e.access, cmd::kWriteBank1, cmd::kReadBank1, copy, copy, false, &back),
            kOk);
  EXPECT_EQ(e.ecu.Commands(), (std::vector<std::uint8_t>{0x12, 0x12, 0x12, 0x12, 0x12, 0x31}));
  EXPECT_EQ(e.ParameterValues(), (std::vector<int>{2, 9}));
  EXPECT_EQ(back.map, copy.map);
  EXPECT_EQ(back.companion, copy.companion);

  // One cell of the fourth chunk and the record changed.
  BankImage changed = copy;
  changed.map[400] ^= 0xFF;
  changed.companion[0] ^= 0xFF;
  e.ecu.frames.clear();
  ASSERT_EQ(ScriviBanco(e.access, cmd::kWriteBank1, cmd::kReadBank1, changed, copy, false, &back),
            kOk);
  EXPECT_EQ(e.ecu.Commands(),
            (std::vector<std::uint8_t>{0x13, 0x32, 0x12, 0x12, 0x12, 0x12, 0x12, 0x31}));
  const Bytes& write = e.ecu.frames[0];
  ASSERT_EQ(write.size(), 5u + 3u + 110u);
  EXPECT_EQ(Bytes(write.begin() + 4, write.begin() + 7), (Bytes{0x4A, 0x01, 0x6E}));
  EXPECT_EQ(write[2], 3 + 3 + 110);
  EXPECT_EQ(back.map, changed.map);
  EXPECT_EQ(back.companion, changed.companion);

  // Forced: every chunk and the record, then the read-back.
  e.ecu.frames.clear();
  ASSERT_EQ(ScriviBanco(e.access, cmd::kWriteBank1, cmd::kReadBank1, changed, changed, true, &back),
            kOk);
  EXPECT_EQ(e.ecu.Commands(), (std::vector<std::uint8_t>{0x13, 0x13, 0x13, 0x13, 0x13, 0x32, 0x12,
                                                         0x12, 0x12, 0x12, 0x12, 0x31}));
  EXPECT_EQ(e.ecu.frames[4][2], 3 + 3 + 112);

  // A bank without an ECU copy is written whole; banks 2 and 3 have no record.
  e.ecu.frames.clear();
  ASSERT_EQ(ScriviBanco(e.access, cmd::kWriteBank2, cmd::kReadBank2, BankImage{changed.map, {}},
                        BankImage{}, false, &back),
            kOk);
  EXPECT_EQ(e.ecu.Commands(), (std::vector<std::uint8_t>{0x17, 0x17, 0x17, 0x17, 0x17, 0x16, 0x16,
                                                         0x16, 0x16, 0x16}));
}

TEST(BankTransfer, WriteRefusesBadImagesAndKeepsParameterAfterFailure) {
  EcuRig e;
  BankImage back;
  EXPECT_EQ(ScriviBanco(e.access, cmd::kWriteBank2, cmd::kReadBank2, BankImage{Bytes(551), {}},
                        BankImage{}, true, &back),
            kInvalidRequest);
  EXPECT_EQ(ScriviBanco(e.access, cmd::kWriteBank1, cmd::kReadBank1,
                        BankImage{Bytes(kBankSize), Bytes(15)}, BankImage{}, true, &back),
            kInvalidRequest);
  EXPECT_TRUE(e.rig.link.requests.empty());

  e.StartWithParameter(4);
  e.ecu.silent_at_frame = 2;
  back.map = Bytes{5};
  EXPECT_EQ(ScriviBanco(e.access, cmd::kWriteBank3, cmd::kReadBank3,
                        BankImage{Bytes(kBankSize, 1), {}}, BankImage{}, false, &back),
            kNoExchange);
  EXPECT_EQ(e.ParameterValues(), std::vector<int>{2});
  EXPECT_EQ(back.map, Bytes{5});
}

TEST(TuningTables, ReadAllFourOrNothing) {
  EcuRig e;
  e.StartWithParameter(3);
  TuningTables tables;
  ASSERT_EQ(LeggiTabelleTaratura(e.access, &tables), kOk);
  EXPECT_EQ(e.ecu.Commands(), (std::vector<std::uint8_t>{0x1B, 0x1C, 0x20, 0x1F}));
  EXPECT_EQ(e.ParameterValues(), (std::vector<int>{2, 3}));
  ASSERT_EQ(tables.trisult.size(), 5u + kTuningTableData + 1);
  EXPECT_EQ(tables.trisult[2], 0x7D);
  EXPECT_EQ(tables.trisult[3], 0x20);
  EXPECT_EQ(tables.tisto[3], 0x1F);
  EXPECT_EQ(Bytes(tables.tgas.begin() + 5, tables.tgas.end() - 1), e.ecu.Held(region::kTGas));

  EcuRig s;
  s.StartWithParameter(3);
  s.ecu.short_at_frame = 3;
  TuningTables kept;
  kept.tbenz = Bytes{1};
  EXPECT_EQ(LeggiTabelleTaratura(s.access, &kept), kShortPayload);
  EXPECT_EQ(kept.tbenz, Bytes{1});
  EXPECT_TRUE(kept.tgas.empty());
  EXPECT_EQ(s.ParameterValues(), std::vector<int>{2});
  ASSERT_EQ(s.rig.box.shown.size(), 1u);
  EXPECT_EQ(s.rig.box.shown[0].text, "Error 006 - Comunication error");
}

TEST(TuningTables, ResetsEmptyTheCopyOnlyOnSuccess) {
  EcuRig e;
  TuningTables copy{Bytes{1}, Bytes{2}, Bytes{3}, Bytes{4}};
  ASSERT_EQ(ResetTuningTable(e.access, TuningTable::kTRisult, &copy), kOk);
  EXPECT_TRUE(copy.trisult.empty());
  EXPECT_EQ(copy.tbenz, Bytes{1});
  ASSERT_EQ(e.ecu.frames.size(), 1u);
  EXPECT_EQ(e.ecu.frames[0].size(), 125u);
  EXPECT_EQ(e.Types(), std::vector<int>{6});  // a single frame, no wrap

  e.ecu.silent_at_frame = 2;
  EXPECT_EQ(ResetTuningTable(e.access, TuningTable::kTGas, &copy), kNoExchange);
  EXPECT_EQ(copy.tgas, Bytes{2});
}

TEST(SlowCommand, SequenceOrderAndRestoreOnEveryPath) {
  EcuRig e;
  e.StartWithParameter(6);
  int entry5_reads = 0;
  const auto read_entry5 = [&] {
    ++entry5_reads;
    return e.access.Command(cmd::kReadConnection, {});
  };
  const Bytes frame = RequestFrame(cmd::kAcquisition, Bytes{4}).value();
  ASSERT_EQ(RunSlowCommand(e.access, frame, read_entry5), kOk);
  EXPECT_EQ(e.Types(), (std::vector<int>{4, 6, 8, 6, 8, 6, 4}));
  EXPECT_EQ(e.ParameterValues(), (std::vector<int>{2, 6}));
  EXPECT_EQ(e.ecu.Commands(), (std::vector<std::uint8_t>{0x5C, 0x15, 0x30}));
  EXPECT_EQ(e.rig.link.requests[2].payload, (Bytes{0x10, 0x27, 0, 0}));
  EXPECT_EQ(e.rig.link.requests[4].payload, (Bytes{0xF4, 0x01, 0, 0}));
  EXPECT_EQ(entry5_reads, 1);

  // The 0x15 frame fails: nothing more runs, but the parameter comes back.
  EcuRig f;
  f.StartWithParameter(6);
  f.ecu.silent_at_frame = 2;
  entry5_reads = 0;
  const auto count_reads = [&]() -> int {
    ++entry5_reads;
    return kOk;
  };
  EXPECT_EQ(RunSlowCommand(f.access, frame, count_reads), kNoExchange);
  EXPECT_EQ(f.Types(), (std::vector<int>{4, 6, 8, 6, 4}));
  EXPECT_EQ(f.ParameterValues(), (std::vector<int>{2, 6}));
  EXPECT_EQ(entry5_reads, 0);

  // The entry read fails: its code is the result, the restore still goes out.
  EcuRig g;
  g.StartWithParameter(1);
  EXPECT_EQ(RunSlowCommand(g.access, frame, [] { return kShortPayload; }), kShortPayload);
  EXPECT_EQ(g.ParameterValues(), (std::vector<int>{2, 1}));
}

}  // namespace
}  // namespace velmora::link
