// The update as the session runs it, against the virtual ECU's boot loader:
// what goes to the ECU in which order, what the calibration goes through,
// that nothing else uses the channel meanwhile, and where each failure stops.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/hex.h"
#include "link/ecu_frame.h"
#include "link/pipe_protocol.h"
#include "tests/firmware/update_rig.h"

namespace velmora::firmware {
namespace {

using test::ImageLines;
using test::S2Line;
using test::UpdateRig;
namespace cmd = link::cmd;
namespace st = core::session_state;

const Bytes kCode(300, 0x5A);

// The payloads of every message 8 the link was sent.
std::vector<Bytes> Waits(const UpdateRig& rig) {
  std::vector<Bytes> waits;
  for (const auto& r : rig.session.link.requests) {
    if (r.type == static_cast<std::uint8_t>(link::MsgType::kSetEcuWait)) {
      waits.push_back(r.payload);
    }
  }
  return waits;
}

TEST(FirmwareUpdate, SameVersionCarriesTheCalibrationAroundTheErase) {
  UpdateRig rig;
  const Bytes connection = rig.session.device.Held(sim::region::kConnection);
  // The window's timers keep ticking while the update waits.
  rig.session.link.on_pump = [&] {
    rig.session.session->Timer1_Timer();
    rig.session.session->Timer2_Timer();
  };
  const UpdateResult r = rig.Run(ImageLines(kCode, 0x00FC8000, test::kSameVersion));
  EXPECT_EQ(r.code, update_code::kOk);
  EXPECT_TRUE(r.checked);
  rig.session.link.on_pump = nullptr;

  const auto& calibration = rig.session.calibration;
  EXPECT_EQ(calibration.saves, std::vector<std::string>{rig.paths.up_xsi});
  EXPECT_LE(rig.saved_after, rig.FrameOf(cmd::kEraseFlash));
  ASSERT_EQ(calibration.loads.size(), 1u);
  EXPECT_EQ(calibration.loads[0], std::make_pair(rig.paths.up_xsi, 18));
  EXPECT_GT(rig.loaded_after, rig.FrameOf(cmd::kWriteConnection));
  EXPECT_EQ(r.backup, rig.paths.data_dir + "fw-backup-STAMP.xsi");
  EXPECT_TRUE(core::EsisteFile(r.backup));

  // Connection block, start, erase, the four blocks that hold data, the
  // checksums, end, and the block read before goes back; no live poll, no
  // reconnection in between.
  std::vector<std::uint8_t> expected = {cmd::kReadConnection, cmd::kProgramStart, cmd::kEraseFlash};
  expected.insert(expected.end(), 4, cmd::kWriteFlashBlock);
  expected.insert(expected.end(), 15, cmd::kFlashChecksums);  // 1792 blocks, 120 a request
  expected.insert(expected.end(), {cmd::kProgramEnd, cmd::kWriteConnection});
  EXPECT_EQ(rig.session.Commands(rig.first_frame), expected);
  EXPECT_EQ(rig.session.device.Held(sim::region::kConnection), connection);
  // The connection's plain wait; then long before the start, short after the
  // erase, long around the end.
  EXPECT_EQ(Waits(rig), (std::vector<Bytes>{{0xF4, 0x01, 0, 0},
                                            {0x10, 0x27, 0, 0},
                                            {0xF4, 0x01, 0, 0},
                                            {0x10, 0x27, 0, 0},
                                            {0xF4, 0x01, 0, 0}}));
  // The session connects again and reads the image's identification.
  rig.session.Tick();
  EXPECT_EQ(rig.session.session->State(), st::kConnected);
  const Bytes& answer = rig.session.table.LastAnswer(0);
  EXPECT_EQ(Bytes(answer.begin() + 5, answer.begin() + 43), test::kSameVersion);
}

TEST(FirmwareUpdate, AnotherVersionOrABlankEcuStartsFromTheReference) {
  UpdateRig rig;
  UpdateRig::WriteLines(rig.paths.default_calibration, {"[INFO]"});
  EXPECT_EQ(rig.Run(ImageLines(kCode, 0x00FC8000, test::kNextVersion)).code, update_code::kOk);
  EXPECT_EQ(rig.session.calibration.saves,
            std::vector<std::string>{rig.paths.data_dir + "fw-backup-STAMP.xsi"});
  ASSERT_EQ(rig.session.calibration.loads.size(), 1u);
  EXPECT_EQ(rig.session.calibration.loads[0].first, rig.paths.default_calibration);
  EXPECT_FALSE(core::EsisteFile(rig.paths.up_xsi));

  UpdateRig blank(sim::Hardware::kBlank);
  UpdateRig::WriteLines(blank.paths.default_calibration, {"[INFO]"});
  EXPECT_EQ(blank.Run(ImageLines(kCode, 0x00FC8000, test::kSameVersion)).code, update_code::kOk);
  EXPECT_TRUE(blank.session.calibration.saves.empty());  // nothing to keep
  ASSERT_EQ(blank.session.calibration.loads.size(), 1u);
  EXPECT_EQ(blank.session.calibration.loads[0].first, blank.paths.default_calibration);
}

TEST(FirmwareUpdate, RecordsBeyondTheErasableSectorsSendNoErase) {
  UpdateRig rig;
  UpdateRig::WriteLines(rig.paths.flash_ini, test::SectorLines(0x00F80000, 0x4000, 16));
  const UpdateResult r =
      rig.Run({"[AdrFrmwarEcu]", "00FBC000", S2Line(0x00FBC000, test::kSameVersion),
               S2Line(0x00FB8000, Bytes(32, 0x5A))});
  EXPECT_EQ(r.code, update_code::kErase);
  EXPECT_EQ(rig.FrameOf(cmd::kEraseFlash), std::string::npos);
  EXPECT_EQ(rig.FrameOf(cmd::kWriteFlashBlock), std::string::npos);
}

TEST(FirmwareUpdate, ABlockOfErasedBytesIsNotSentAndCountsAsWritten) {
  UpdateRig rig;
  std::vector<std::string> lines = ImageLines(Bytes(128, 0x11), 0x00FC8000, test::kSameVersion);
  lines.push_back(S2Line(0x00FC8080, Bytes(128, 0xFF)));  // block 1: all 0xFF, in a record
  lines.push_back(S2Line(0x00FC8100, Bytes(16, 0x22)));
  EXPECT_EQ(rig.Run(lines).code, update_code::kOk);
  std::vector<std::string> addresses;
  for (const Bytes& f : rig.session.frames) {
    if (f[3] == cmd::kWriteFlashBlock) {
      addresses.push_back(core::BinToHex(std::span(f).subspan(4, 4)));
    }
  }
  EXPECT_EQ(addresses, (std::vector<std::string>{"00FC8000", "00FC8100", "00FFE000"}));
}

TEST(FirmwareUpdate, EachFailureStopsWhereTheEcuCanStillBeUpdated) {
  const auto image = ImageLines(kCode, 0x00FC8000, test::kSameVersion);
  {  // the calibration cannot be saved: nothing is programmed
    UpdateRig rig;
    rig.session.calibration.save_result = false;
    EXPECT_EQ(rig.Run(image).code, update_code::kNotKept);
    EXPECT_EQ(rig.FrameOf(cmd::kProgramStart), std::string::npos);
  }
  {  // a connection block cut short is not one to give back: not started
    UpdateRig rig;
    rig.session.device.short_at_frame = static_cast<int>(rig.session.frames.size()) + 1;
    EXPECT_EQ(rig.Run(image).code, update_code::kNotKept);
    EXPECT_EQ(rig.FrameOf(cmd::kProgramStart), std::string::npos);
    EXPECT_EQ(core::BinToHex(rig.session.table.LastAnswer(5)),
              "42011430009A0200051209140019010680060004006B");
  }
  {  // a block the ECU refuses (outside its flash) is not taken for written
    UpdateRig rig;
    UpdateRig::WriteLines(rig.paths.flash_ini, test::SectorLines(0x00FC4000, 0x4000, 15));
    EXPECT_EQ(rig.Run(ImageLines(kCode, 0x00FC4000, test::kSameVersion)).code,
              update_code::kBlockWrite);
    EXPECT_EQ(rig.FrameOf(cmd::kProgramEnd), std::string::npos);
  }
  {  // a block that arrives changed is caught before the end
    UpdateRig rig;
    rig.session.device.garbled_command = cmd::kWriteFlashBlock;
    const UpdateResult r = rig.Run(image);
    EXPECT_EQ(r.code, update_code::kVerify);
    EXPECT_EQ(r.differs_at, 0x00FC8000u);
    EXPECT_EQ(rig.FrameOf(cmd::kProgramEnd), std::string::npos);
  }
  {  // the calibration does not go back in: it waits in up.xsi
    UpdateRig rig;
    rig.session.calibration.load_result = false;
    const UpdateResult r = rig.Run(image);
    EXPECT_EQ(r.code, update_code::kReload);
    EXPECT_EQ(r.kept, rig.paths.up_xsi);
    EXPECT_TRUE(core::EsisteFile(rig.paths.up_xsi));
  }
}

TEST(FirmwareUpdate, AReplyTimeOutEndsItWithItsCodeBeforeTheProgramCloses) {
  UpdateRig rig;
  // The link server stops answering at the second block.
  const std::size_t second_block = rig.session.frames.size() + 5;
  rig.session.link.on_pump = [&] {
    rig.session.link_silent = rig.session.frames.size() >= second_block;
  };
  const UpdateResult r = rig.Run(ImageLines(kCode, 0x00FC8000, test::kSameVersion));
  EXPECT_EQ(r.code, update_code::kBlockWrite);
  EXPECT_TRUE(r.closing);
  EXPECT_EQ(rig.FrameOf(cmd::kProgramEnd), std::string::npos);
  rig.session.Tick();
  EXPECT_EQ(rig.session.session->State(), st::kClosing);
}

}  // namespace
}  // namespace velmora::firmware
