// The image layer: sector tables, S2 image files and identifications, and
// every damaged input refused before it could reach the ECU.
#include <gtest/gtest.h>

#include "firmware/block_checksum.h"
#include "firmware/firmware_identity.h"
#include "firmware/firmware_image.h"
#include "firmware/flash_layout.h"
#include "firmware/flash_programmer.h"
#include "firmware/hardware_images.h"
#include "link/ecu_frame.h"
#include "tests/firmware/image_lines.h"
#include "tests/link/fake_link.h"

namespace velmora::firmware {
namespace {

using test::Identification;
using test::ImageLines;
using test::kNexText;
using test::S2Line;

FlashLayout Shipped() {
  return *ParseFlashLayout(test::ShippedSectors()).layout;
}

ImageResult Build(const std::vector<std::string>& lines, const FlashLayout& layout = Shipped()) {
  return BuildFlashImage(ParseImageLines(lines), layout);
}

const Bytes kId = Identification(3, 6, 0x20, 0x01, 0x2020, kNexText);

TEST(FlashLayout, ReadsTheSectorsAndRefusesWhatCannotBeAddressed) {
  const LayoutResult shipped = ParseFlashLayout(test::ShippedSectors());
  ASSERT_TRUE(shipped.layout);
  EXPECT_EQ(shipped.layout->Start(), 0x00FC8000u);
  EXPECT_EQ(shipped.layout->End(), 0x00FFFFFFu);
  EXPECT_EQ(shipped.layout->Size(), 14u * 0x4000);

  EXPECT_EQ(ParseFlashLayout({}).error, LayoutError::kEmpty);
  EXPECT_EQ(ParseFlashLayout({"", "  "}).error, LayoutError::kEmpty);
  EXPECT_EQ(ParseFlashLayout({"H00FC8000 - H00FC"}).error, LayoutError::kBadLine);
  EXPECT_EQ(ParseFlashLayout({"H00FC800G - H00FCBFFF"}).error, LayoutError::kBadLine);
  EXPECT_EQ(ParseFlashLayout({"H00FFC000 - H01003FFF"}).error, LayoutError::kTooHigh);
  const LayoutResult backwards =
      ParseFlashLayout({"H00FCC000 - H00FCFFFF", "H00FC8000 - H00FCBFFF"});
  EXPECT_EQ(backwards.error, LayoutError::kNotAscending);
  EXPECT_EQ(backwards.line, 2u);
  EXPECT_EQ(ReadFlashLayout("/nonexistent/Flash.ini").error, LayoutError::kMissing);
}

TEST(FirmwareImage, FillsTheFlashAndUsesRecordsWhateverTheirChecksum) {
  std::vector<std::string> lines = ImageLines(Bytes(40, 0x11), 0x00FC8000, kId);
  lines.insert(lines.begin() + 2, S2Line(0x00FC8100, {0xAB, 0xCD}, /*bad_checksum=*/true));
  const ImageResult r = Build(lines);
  ASSERT_TRUE(r.image) << DescribeImageError(r);
  EXPECT_EQ(r.image->bytes.size(), 14u * 0x4000);
  EXPECT_EQ(r.image->bytes[0], 0x11);
  EXPECT_EQ(r.image->bytes[40], 0xFF);
  EXPECT_EQ(r.image->bytes[0x100], 0xAB);
  EXPECT_EQ(r.image->Identification(), kId);
  EXPECT_EQ(CaricaAdrFlash(ParseImageLines(lines)).front(), "FC8100");
  EXPECT_EQ(CaricaAdrFlash(ParseImageLines({"[AdrFrmwarEcu]", "00FFE000"})),
            std::vector<std::string>{""});
}

TEST(FirmwareImage, DamagedRecordsAndAddressesMakeTheImageUnusable) {
  const std::string good = S2Line(0x00FC8000, {1, 2, 3});
  struct Case {
    std::vector<std::string> lines;
    ImageError error;
  };
  const Case cases[] = {
      {{"S2070000"}, ImageError::kBadRecord},                                   // short
      {{good + "0"}, ImageError::kBadRecord},                                   // odd length
      {{good.substr(0, 12) + "XY" + good.substr(14)}, ImageError::kBadRecord},  // not hex
      {{good.substr(0, good.size() - 4) + good.substr(good.size() - 2)}, ImageError::kBadRecord},
      {{"[AdrFrmwarEcu]", "1000000", good}, ImageError::kBadAddressLine},  // 2^24
      {{"[AdrFrmwarEcu]"}, ImageError::kBadAddressLine},
      {{"[AdrFrmwarEcu]", "00FFE000"}, ImageError::kNoRecords},
      {{S2Line(0x00FC7FFF, {1, 2})}, ImageError::kRecordOutside},
      {{"[AdrFrmwarEcu]", "00FFFFF0", S2Line(0x00FFFFF0, Bytes(16, 1))},
       ImageError::kIdentificationOutside},
      {ImageLines({1}, 0x00FC8000, Identification(3, 6, 1, 1, 0x2020, "GASECU NEXHW")),
       ImageError::kNoHardwareWord},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines.front());
    const ImageResult r = Build(c.lines);
    EXPECT_FALSE(r.image);
    EXPECT_EQ(r.error, c.error);
  }
  const ImageResult no_table = LoadFirmwareImage("/nonexistent.frh", "/nonexistent/Flash.ini");
  EXPECT_EQ(no_table.error, ImageError::kLayout);
}

TEST(FirmwareImage, BlocksCarryNumericAddressesAndTheLastIsPadded) {
  // 0x0F0080 written as unpadded text is "F0080": cut into digit pairs it
  // would address another block.
  EXPECT_EQ(BlockWriteData(0x000F0080, {}), (Bytes{0x00, 0x0F, 0x00, 0x80}));
  EXPECT_EQ(BlockWriteData(0x00FC8000, {}), (Bytes{0x00, 0xFC, 0x80, 0x00}));

  const FlashLayout odd = *ParseFlashLayout({"H00010000 - H0001013F"}).layout;  // 320 bytes
  const ImageResult r = Build({"[AdrFrmwarEcu]", "00010000",
                               S2Line(0x00010000, Identification(1, 0, 1, 1, 0x2020, kNexText)),
                               S2Line(0x00010100, Bytes(64, 0x22))},
                              odd);
  ASSERT_TRUE(r.image) << DescribeImageError(r);
  EXPECT_EQ(r.image->BlockCount(), 3u);
  Bytes last(64, 0x22);
  last.resize(128, 0xFF);
  EXPECT_EQ(r.image->Block(256), last);
}

TEST(FirmwareImage, EraseMarksEverySectorARecordTouchesAmongTheFirst14) {
  const FlashLayout sixteen = *ParseFlashLayout(test::SectorLines(0x00100000, 0x100, 16)).layout;
  const ImageResult r =
      Build({"[AdrFrmwarEcu]", "001000F0", S2Line(0x001000F0, kId),  // sectors 0 and 1
             S2Line(0x00100E00, {1}), S2Line(0x00100F80, {2})},      // sectors 14, 15
            sixteen);
  ASSERT_TRUE(r.image) << DescribeImageError(r);
  EXPECT_EQ(SectorsToErase(*r.image), (std::vector<std::size_t>{0, 1}));
}

TEST(FirmwareIdentity, VersionsDatesHardwareAndTheDecision) {
  const auto ecu_answer = [](const Bytes& id) {
    Bytes frame{0x42, 0x01, 0x2A, 0x21, 0x00};
    frame.insert(frame.end(), id.begin(), id.end());
    frame.push_back(0);
    return frame;
  };
  const auto image = FirmwareIdentity::From(kId);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->VersionText(), "03.06 - 20/01/2020");
  EXPECT_EQ(image->HardwareWord(), "NEXHW");

  const EcuFirmware same_version_older_date =
      EcuFirmwareOf(ecu_answer(Identification(3, 6, 0x18, 0x09, 0x2019, kNexText)));
  Decision d = Decide(same_version_older_date, image);
  EXPECT_TRUE(d.Allowed());
  EXPECT_EQ(d.verdict, Verdict::kNewer);
  EXPECT_FALSE(d.changes_version);

  d = Decide(EcuFirmwareOf(ecu_answer(Identification(4, 0, 1, 1, 0x2018, kNexText))), image);
  EXPECT_EQ(d.verdict, Verdict::kOlder);
  EXPECT_TRUE(d.changes_version);
  EXPECT_EQ(Decide(EcuFirmwareOf(ecu_answer(kId)), image).verdict, Verdict::kSame);

  const Bytes third = Identification(3, 6, 1, 1, 0x2020, "GASECU SEQ 3RDHW 6CYL R02");
  EXPECT_EQ(Decide(EcuFirmwareOf(ecu_answer(third)), image).refusal, Refusal::kOtherHardware);
  EXPECT_EQ(Decide(EcuFirmwareOf({}), image).refusal, Refusal::kNoEcu);
  EXPECT_EQ(Decide(EcuFirmwareOf(ecu_answer(kId)), std::nullopt).refusal, Refusal::kNoImage);
  EXPECT_EQ(Decide(EcuFirmwareOf(ecu_answer(kId)), FirmwareIdentity::From(Bytes(38, 0))).refusal,
            Refusal::kNoImage);

  // A blank ECU cannot name its hardware: any image goes in, as a new version.
  for (const Bytes& blank :
       {ecu_answer(Bytes(38, 0xFF)), Bytes{0x42, 0x01, 0x04, 0x21, 0x14, 0x72}}) {
    d = Decide(EcuFirmwareOf(blank), image);
    EXPECT_TRUE(d.Allowed());
    EXPECT_TRUE(d.changes_version);
    EXPECT_EQ(d.verdict, Verdict::kNewer);
  }
}

TEST(HardwareImages, NamesCodesAndTheOffer) {
  EXPECT_TRUE(IsImageName("/x/FIRMWARE.FRH"));
  EXPECT_TRUE(IsImageName("a.Frh"));
  EXPECT_FALSE(IsImageName("/x/x.frh.txt"));
  EXPECT_FALSE(IsImageName("/x/.frh"));
  EXPECT_EQ(MissingImageCode("/a/bin/fw/Velmora_NexHw.frh", 1), 104);
  EXPECT_EQ(MissingImageCode("/a/other.frh", 2), 103);
  EXPECT_EQ(MissingImageCode("/a/other.frh", 7), 0);
  const core::PathTable paths = core::FillPathTable("/a");
  EXPECT_EQ(DefaultImagePath(paths, 0), paths.fw_old);
  EXPECT_EQ(DefaultImagePath(paths, -1), paths.default_firmware);
  EXPECT_FALSE(FirmwareOffered(paths));
  EXPECT_EQ(BlockChecksum(Bytes{'1', '2', '3', '4', '5', '6', '7', '8', '9'}), 0x29B1);
}

TEST(FlashCheck, AnEcuWithoutTheChecksumReadIsNotCheckedAndOtherRefusalsFail) {
  const ImageResult r = Build(ImageLines(Bytes(64, 1), 0x00FC8000, kId));
  ASSERT_TRUE(r.image);
  for (const auto& [result, state] : {std::pair{0x01, VerifyOutcome::State::kNotOffered},
                                      std::pair{0x02, VerifyOutcome::State::kFailed}}) {
    link::testing::ChannelRig rig;
    link::EcuAccess ecu(rig.pipe, link::LinkTimes{1'000'000, 500'000, 20});
    rig.link.handler = [code = result](const link::testing::Request& req) {
      const Bytes refusal{static_cast<std::uint8_t>(code)};
      return link::testing::Reply(6, *link::ComponiFrame(0x42, 0x01, req.payload.at(3), refusal));
    };
    FlashLink flash(ecu);
    EXPECT_EQ(VerifyFlash(flash, *r.image).state, state);
    EXPECT_TRUE(rig.box.shown.empty());  // quietly
  }
}

}  // namespace
}  // namespace velmora::firmware
