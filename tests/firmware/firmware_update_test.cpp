// The update procedure against the virtual ECU's boot loader: what goes to
// the ECU in which order, what the calibration goes through, and where each
// failure stops.
#include <gtest/gtest.h>

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

const Bytes kCode(300, 0x5A);

// The payloads of every message 8 the link was sent.
std::vector<Bytes> Waits(const UpdateRig& rig) {
  std::vector<Bytes> waits;
  for (const auto& r : rig.channel.link.requests) {
    if (r.type == static_cast<std::uint8_t>(link::MsgType::kSetEcuWait)) {
      waits.push_back(r.payload);
    }
  }
  return waits;
}

TEST(FirmwareUpdate, SameVersionCarriesTheCalibrationAroundTheErase) {
  UpdateRig rig;
  const Bytes connection = rig.ecu.Held(sim::region::kConnection);
  const UpdateResult r = rig.Run(ImageLines(kCode, 0x00FC8000, test::kSameVersion));
  EXPECT_EQ(r.code, update_code::kOk);
  EXPECT_TRUE(r.checked);

  const std::size_t erase = rig.FrameOf(cmd::kEraseFlash);
  const std::size_t end = rig.FrameOf(cmd::kProgramEnd);
  ASSERT_NE(end, std::string::npos);
  ASSERT_EQ(rig.calibration.log.size(), 2u);
  EXPECT_EQ(rig.calibration.log[0].what, "save " + rig.paths.up_xsi);
  EXPECT_LE(rig.calibration.log[0].after_frames, erase);
  EXPECT_EQ(rig.calibration.log[1].what, "load " + rig.paths.up_xsi + " 18");
  EXPECT_GT(rig.calibration.log[1].after_frames, rig.FrameOf(cmd::kWriteConnection));
  EXPECT_EQ(r.backup, rig.paths.data_dir + "fw-backup-STAMP.xsi");
  EXPECT_TRUE(core::EsisteFile(r.backup));

  // Connection block, start, erase, the four blocks that hold data, the
  // checksums, end, then the block read before goes back.
  std::vector<std::uint8_t> expected = {cmd::kReadConnection, cmd::kProgramStart, cmd::kEraseFlash};
  expected.insert(expected.end(), 4, cmd::kWriteFlashBlock);
  expected.insert(expected.end(), 15, cmd::kFlashChecksums);  // 1792 blocks, 120 a request
  expected.insert(expected.end(), {cmd::kProgramEnd, cmd::kWriteConnection});
  EXPECT_EQ(rig.ecu.Commands(rig.FrameOf(cmd::kReadConnection)), expected);
  EXPECT_EQ(rig.ecu.Held(sim::region::kConnection), connection);
  // Long wait before the start, short after the erase, long around the end.
  EXPECT_EQ(Waits(rig),
            (std::vector<Bytes>{
                {0x10, 0x27, 0, 0}, {0xF4, 0x01, 0, 0}, {0x10, 0x27, 0, 0}, {0xF4, 0x01, 0, 0}}));
  // The ECU now answers with the image's identification.
  ASSERT_EQ(rig.table.LeggiVoce(rig.access, 0), link::kOk);
  const Bytes& answer = rig.table.LastAnswer(0);
  EXPECT_EQ(Bytes(answer.begin() + 5, answer.begin() + 43), test::kSameVersion);
}

TEST(FirmwareUpdate, AnotherVersionOrABlankEcuStartsFromTheReference) {
  UpdateRig rig;
  (void)core::CreaCartella(rig.paths.lng);
  UpdateRig::WriteLines(rig.paths.default_calibration, {"[INFO]"});
  EXPECT_EQ(rig.Run(ImageLines(kCode, 0x00FC8000, test::kNextVersion)).code, update_code::kOk);
  ASSERT_EQ(rig.calibration.log.size(), 2u);
  EXPECT_EQ(rig.calibration.log[0].what, "save " + rig.paths.data_dir + "fw-backup-STAMP.xsi");
  EXPECT_EQ(rig.calibration.log[1].what, "load " + rig.paths.default_calibration + " 18");
  EXPECT_FALSE(core::EsisteFile(rig.paths.up_xsi));

  UpdateRig blank(sim::Hardware::kBlank);
  (void)core::CreaCartella(blank.paths.lng);
  UpdateRig::WriteLines(blank.paths.default_calibration, {"[INFO]"});
  EXPECT_EQ(blank.Run(ImageLines(kCode, 0x00FC8000, test::kSameVersion)).code, update_code::kOk);
  ASSERT_EQ(blank.calibration.log.size(), 1u);  // nothing to keep
  EXPECT_EQ(blank.calibration.log[0].what, "load " + blank.paths.default_calibration + " 18");
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
  for (const Bytes& f : rig.ecu.frames) {
    if (f[3] == cmd::kWriteFlashBlock) {
      addresses.push_back(core::BinToHex(std::span(f).subspan(4, 4)));
    }
  }
  EXPECT_EQ(addresses, (std::vector<std::string>{"00FC8000", "00FC8100", "00FFE000"}));
}

TEST(FirmwareUpdate, EachFailureStopsWhereTheEcuCanStillBeUpdated) {
  {  // the calibration cannot be saved: nothing is programmed
    UpdateRig rig;
    rig.calibration.save_ok = false;
    EXPECT_EQ(rig.Run(ImageLines(kCode, 0x00FC8000, test::kSameVersion)).code,
              update_code::kNotKept);
    EXPECT_EQ(rig.FrameOf(cmd::kProgramStart), std::string::npos);
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
    rig.ecu.garbled_command = cmd::kWriteFlashBlock;
    const UpdateResult r = rig.Run(ImageLines(kCode, 0x00FC8000, test::kSameVersion));
    EXPECT_EQ(r.code, update_code::kVerify);
    EXPECT_EQ(r.differs_at, 0x00FC8000u);
    EXPECT_EQ(rig.FrameOf(cmd::kProgramEnd), std::string::npos);
  }
  {  // no answer to the second block: the code of the step, and no end
    UpdateRig rig;
    rig.ecu.silent_at_frame = static_cast<int>(rig.ecu.frames.size()) + 5;
    EXPECT_EQ(rig.Run(ImageLines(kCode, 0x00FC8000, test::kSameVersion)).code,
              update_code::kBlockWrite);
    EXPECT_TRUE(rig.channel.flags.exit_request);
  }
  {  // the calibration does not go back in: it waits in up.xsi
    UpdateRig rig;
    rig.calibration.load_ok = false;
    const UpdateResult r = rig.Run(ImageLines(kCode, 0x00FC8000, test::kSameVersion));
    EXPECT_EQ(r.code, update_code::kReload);
    EXPECT_EQ(r.kept, rig.paths.up_xsi);
    EXPECT_TRUE(core::EsisteFile(rig.paths.up_xsi));
  }
}

}  // namespace
}  // namespace velmora::firmware
