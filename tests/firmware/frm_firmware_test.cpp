// The firmware page's model: what it shows of the ECU and the image, which
// images it takes, and how it starts and ends an update.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/files.h"
#include "firmware/frm_firmware.h"
#include "firmware/update_codes.h"
#include "session/session.h"
#include "tests/firmware/image_lines.h"
#include "tests/pages/page_fakes.h"

namespace velmora::firmware {
namespace {

namespace ft = firmware_text;
using pages::test::PageRig;

void Write(const std::string& path, const std::vector<std::string>& lines) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  ASSERT_TRUE(core::WriteFileAtomic(path, core::JoinCrLf(lines)));
}

std::vector<std::string> Image(const Bytes& id) {
  return test::ImageLines(Bytes(64, 0x33), 0x00FC8000, id);
}

// The page over an installation with Flash.ini, the NEXHW image and an ECU
// that answered 03.05 - 18/09/2019.
struct FirmwarePage {
  FirmwarePage() {
    Write(rig.paths.flash_ini, test::ShippedSectors());
    Write(rig.paths.fw_nex, Image(test::Identification(3, 6, 0x20, 0x01, 0x2020, test::kNexText)));
    Bytes answer{0x42, 0x01, 0x2A, 0x21, 0x00};
    const Bytes id = test::Identification(3, 5, 0x18, 0x09, 0x2019, test::kNexText);
    answer.insert(answer.end(), id.begin(), id.end());
    answer.push_back(0);
    rig.table.SetLastAnswer(0, answer);
    page.Shown();
  }
  PageRig rig;
  FrmFirmware page{rig.env, nullptr};
  FirmwareTexts texts;
};

TEST(FrmFirmware, ShowsBothVersionsWithTheVerdict) {
  FirmwarePage p;
  const FirmwareShown& s = p.page.View();
  EXPECT_EQ(s.ecu_version, "03.05 - 18/09/2019");
  EXPECT_EQ(s.ecu_text, test::kNexText);
  EXPECT_EQ(s.image_path, p.rig.paths.fw_nex);
  EXPECT_EQ(s.image_version, "03.06 - 20/01/2020");
  EXPECT_EQ(s.verdict, p.texts[ft::kNewer]);
  EXPECT_TRUE(s.can_update);

  // Another generation's image is missing: no versions, its code.
  p.rig.session.generation = 2;
  p.page.Shown();
  EXPECT_EQ(p.page.View().image_version, "---");
  EXPECT_EQ(p.page.View().image_note, p.texts[ft::kImageMissing] + " (103)");
  EXPECT_FALSE(p.page.View().can_update);
}

TEST(FrmFirmware, TakesAnImageByItsExtensionInAnyCaseAndRefusesTheRest) {
  FirmwarePage p;
  const std::string upper = p.rig.root.File("NEW.FRH");
  Write(upper, Image(test::Identification(3, 5, 0x18, 0x09, 0x2019, test::kNexText)));
  p.page.CmdSelect(upper);
  EXPECT_EQ(p.page.ImagePath(), upper);
  EXPECT_EQ(p.page.View().verdict, p.texts[ft::kSame]);
  EXPECT_TRUE(p.rig.window.beeps.empty());

  const std::string text_file = p.rig.root.File("x.frh.txt");
  Write(text_file, Image(test::Identification(3, 7, 0x18, 0x09, 0x2019, test::kNexText)));
  const std::string other_hw = p.rig.root.File("third.frh");
  Write(other_hw, Image(test::Identification(2, 9, 1, 1, 0x2020, "GASECU SEQ 3RDHW 6CYL R02")));
  for (const std::string& refused : {text_file, other_hw, p.rig.root.File("none.frh")}) {
    SCOPED_TRACE(refused);
    p.page.CmdSelect(refused);
    EXPECT_EQ(p.page.ImagePath(), upper);  // the current image stays, shown again
    EXPECT_EQ(p.page.View().image_path, upper);
    EXPECT_EQ(p.page.View().message.substr(0, p.texts[ft::kBadImage].size()),
              p.texts[ft::kBadImage]);
    // Another hardware's image says why.
    EXPECT_EQ(p.page.View().message.find(p.texts[ft::kOtherHardware]) != std::string::npos,
              refused == other_hw);
  }
  ASSERT_EQ(p.rig.window.beeps.size(), 3u);
  EXPECT_EQ(p.rig.window.beeps[0].hertz, 600);
  EXPECT_EQ(p.rig.window.beeps[0].ms, 100);
  p.page.CmdSelect("");  // the dialog was cancelled
  EXPECT_EQ(p.rig.window.beeps.size(), 3u);
}

TEST(FrmFirmware, StartsTheRequestAndShowsHowItEnded) {
  FirmwarePage p;
  p.rig.session.state = core::session_state::kBlankEcu;
  p.page.CmdOk();
  EXPECT_EQ(p.rig.session.posted, std::vector<int>{kUpdateRequest});
  EXPECT_EQ(p.rig.session.page_event, session::page_event::kResume);
  EXPECT_TRUE(p.page.View().running);
  EXPECT_FALSE(p.rig.session.pages_enabled);
  p.page.CmdCancel();  // closing waits for the end
  EXPECT_TRUE(p.rig.window.pages.empty());

  p.page.ShowStep(ft::kWrite);
  p.page.ShowBlocks(12, 300);
  p.page.BackupKept("/d/fw-backup-1.xsi");
  EXPECT_EQ(p.page.View().step, p.texts[ft::kWrite]);
  EXPECT_EQ(p.page.View().blocks, "12 " + p.texts[ft::kBlocks] + " 300");
  UpdateResult result;
  result.code = update_code::kReload;
  result.kept = "/r/bin/up.xsi";
  p.page.Finished(result);
  EXPECT_FALSE(p.page.View().running);
  EXPECT_TRUE(p.rig.session.pages_enabled);
  EXPECT_EQ(p.page.View().message, "\n" + p.texts[ft::kNotRestored] + "\n" +
                                       p.texts[ft::kPowerCycle] + "\n" + p.texts[ft::kKeptIn] +
                                       " /r/bin/up.xsi");
  EXPECT_EQ(p.page.View().backup, p.texts[ft::kBackup] + " /d/fw-backup-1.xsi");

  // While another request holds the session the update does not start.
  p.rig.session.state = core::session_state::kConnected;
  p.page.CmdOk();
  EXPECT_FALSE(p.page.View().running);
  EXPECT_EQ(p.page.View().message, p.texts[ft::kNotStarted]);
  p.rig.session.Done();
  p.page.CmdOk();
  p.page.Dropped();
  EXPECT_FALSE(p.page.View().running);
  EXPECT_TRUE(p.rig.session.pages_enabled);

  // A time-out closes the program next: the result comes in a box first.
  EXPECT_TRUE(p.rig.box.shown.empty());
  result = UpdateResult{};
  result.code = update_code::kBlockWrite;
  result.closing = true;
  p.page.Finished(result);
  ASSERT_EQ(p.rig.box.shown.size(), 1u);
  EXPECT_EQ(p.rig.box.shown[0].text, p.page.View().message);
}

}  // namespace
}  // namespace velmora::firmware
