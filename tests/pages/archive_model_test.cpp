// The archive dialog's model, the calibration document and the File menu's
// model over the page fakes: what is posted, asked, written and refused.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "pages/archive_texts.h"
#include "pages/file_menu_model.h"
#include "pages/frm_kvx_load_save.h"
#include "tests/pages/page_fakes.h"

namespace velmora::pages {
namespace {

namespace fs = std::filesystem;
namespace request = session::request;
namespace st = core::session_state;

class FixedDate final : public calib::DateProvider {
 public:
  calib::CalendarDate Today() override { return {1, 2, 2024}; }
};

void Write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

struct ArchiveRig {
  ArchiveRig() {
    fs::create_directories(rig.paths.data_dir);
    fs::create_directories(rig.paths.lng);
    fs::create_directories(rig.paths.bin);
  }
  std::string Data(const std::string& name) const { return rig.paths.data_dir + name; }
  // The box's last text.
  std::string Said() const { return rig.box.shown.empty() ? "" : rig.box.shown.back().text; }

  test::PageRig rig;
  FixedDate dates;
  CalibrationDocument document{DocumentEnv{rig.env, dates, rig.paths.bin + "/Recent.ini"}};
  FrmKvxLoadSave model{document};
  ArchiveTexts texts;
};

TEST(ArchiveModel, SavesUnderTheFourFieldsAndAsksBeforeOverwriting) {
  ArchiveRig a;
  a.model.Open(archive_mode::kSave);
  a.model.SetName({"M", "P", "4", "X"});
  a.model.SetNote("line 1\r\nline 2");
  EXPECT_TRUE(a.model.CmdOk());
  EXPECT_EQ(a.rig.session.posted, (std::vector<int>{request::kSaveFromEcu}));
  EXPECT_EQ(a.rig.session.files.back(), a.Data("M_P_4_X.qvd"));
  EXPECT_EQ(a.rig.image.note, "line 1\r\nline 2");

  a.rig.session.Done();
  Write(a.Data("M_P_4_X.qvd"), "old");
  a.rig.box.answers = {false, true};
  EXPECT_FALSE(a.model.CmdOk());  // Cancel: nothing posted
  EXPECT_EQ(a.Said(), a.texts.overwrite);
  EXPECT_EQ(a.rig.session.posted.size(), 1u);
  EXPECT_TRUE(a.model.CmdOk());
  EXPECT_EQ(a.rig.session.posted.size(), 2u);
}

TEST(ArchiveModel, NamesThatLeaveTheArchiveAreRefusedBeforeAnythingIsWritten) {
  for (const int state : {st::kConnected, st::kDisconnected}) {
    ArchiveRig a;
    a.rig.session.state = state;
    a.model.Open(archive_mode::kSave);
    for (const char* bad : {"../x", "a/b"}) {
      a.model.SetName({"M", bad, "4", "X"});
      EXPECT_FALSE(a.model.CmdOk()) << bad;
      EXPECT_EQ(a.Said(), a.texts.bad_name);
    }
    a.model.SetName({"M", "", "4", "X"});
    EXPECT_FALSE(a.model.CmdOk());
    EXPECT_EQ(a.Said(), a.texts.fill_name);
    EXPECT_TRUE(a.rig.session.posted.empty());
    EXPECT_TRUE(fs::is_empty(a.rig.paths.data_dir));
    EXPECT_FALSE(fs::exists(a.rig.paths.root + "/x.qvd"));
  }
}

TEST(ArchiveModel, SavingWhileDisconnectedWritesTheFileAndPostsNothing) {
  ArchiveRig a;
  a.rig.session.state = st::kDisconnected;
  a.model.Open(archive_mode::kSave);
  a.model.SetName({"M", "P", "4", "X"});
  EXPECT_TRUE(a.model.CmdOk());
  EXPECT_TRUE(a.rig.session.posted.empty());
  std::string text;
  ASSERT_TRUE(core::ReadWholeFile(a.Data("M_P_4_X.qvd"), text));
  EXPECT_EQ(text.rfind("[INFO]\r\n", 0), 0u);
  EXPECT_EQ(a.document.Path(), a.Data("M_P_4_X.qvd"));
  EXPECT_EQ(a.document.TitleSuffix(), "     M_P_4_X - [M_P_4_X.qvd] ");
  EXPECT_EQ(a.document.Recent().Paths(), (std::vector<std::string>{a.Data("M_P_4_X.qvd")}));
}

TEST(ArchiveModel, ASelectedFileFillsTheFieldsAndOpensWithRequest18) {
  ArchiveRig a;
  Write(a.Data("FIAT_Punto_4_AB.qvd"), "[NOTE]\r\none\r\ntwo\r\nthree\r\n[FW]\r\n");
  Write(a.Data("Lone_Model.qvd"), "");
  Write(a.Data("Costruttori.txt"), "fiat\r\nlancia\r\n");
  a.model.Open(archive_mode::kOpen);
  EXPECT_EQ(a.model.Manufacturers(), (std::vector<std::string>{"FIAT", "LANCIA"}));
  ASSERT_EQ(a.model.Files().size(), 2u);
  a.model.SelectFile(0);
  EXPECT_EQ(a.model.Name(), (calib::ArchiveName{"FIAT", "Punto", "4", "AB"}));
  EXPECT_EQ(a.model.Note(), "one\r\ntwo\r\nthree");
  a.model.SelectFile(1);
  EXPECT_EQ(a.model.Name(), (calib::ArchiveName{"Lone", "Model", "", ""}));
  a.model.SetFilter(1);  // FIAT
  EXPECT_EQ(a.model.Files(), (std::vector<std::string>{"FIAT_Punto_4_AB.qvd"}));

  EXPECT_FALSE(a.model.CmdOk());  // nothing selected after the filter
  EXPECT_EQ(a.Said(), a.texts.select_file);
  a.model.SelectFile(0);
  fs::remove(a.Data("FIAT_Punto_4_AB.qvd"));
  EXPECT_FALSE(a.model.CmdOk());  // gone meanwhile: not loaded
  EXPECT_EQ(a.Said(), a.texts.missing_file);
  Write(a.Data("FIAT_Punto_4_AB.qvd"), "");
  EXPECT_TRUE(a.model.CmdOk());
  EXPECT_EQ(a.rig.session.posted, (std::vector<int>{request::kLoadAll}));
  EXPECT_EQ(a.rig.session.chosen_file, a.Data("FIAT_Punto_4_AB.qvd"));
}

TEST(ArchiveModel, DeleteAsksAndResetLoadsTheReference) {
  ArchiveRig a;
  Write(a.Data("A_B_4_X.qvd"), "");
  Write(velmora::test::JoinPath(a.rig.paths.lng, "Petrol Ref.xsi"), "");
  a.model.Open(archive_mode::kOpen);
  a.model.SelectFile(0);
  a.rig.box.answers = {false};
  a.model.CmdCancelFile();
  EXPECT_EQ(a.Said(), a.texts.delete_question + "?");
  EXPECT_TRUE(fs::exists(a.Data("A_B_4_X.qvd")));
  a.model.CmdCancelFile();  // Yes
  EXPECT_FALSE(fs::exists(a.Data("A_B_4_X.qvd")));
  EXPECT_TRUE(a.model.Files().empty());

  ASSERT_EQ(a.model.References(), (std::vector<std::string>{"Petrol Ref"}));
  a.rig.box.answers = {false};
  EXPECT_FALSE(a.model.CmdReset());  // connected: asked, and refused
  EXPECT_TRUE(a.rig.session.posted.empty());
  EXPECT_TRUE(a.model.CmdReset());
  EXPECT_EQ(a.rig.session.posted, (std::vector<int>{request::kLoadAll}));
  EXPECT_EQ(a.rig.session.chosen_file, velmora::test::JoinPath(a.rig.paths.lng, "Petrol Ref.xsi"));
}

TEST(CalibrationDocument, FollowsTheSessionsFileRequestsAndTheImage) {
  ArchiveRig a;
  bool loaded = false;
  std::optional<CalibrationDocument> document;
  session::RequestWork load;
  load.run = [&] { return loaded; };
  a.rig.requests.Register(request::kLoadAll, load);
  document.emplace(DocumentEnv{a.rig.env, a.dates, a.rig.paths.bin + "/Recent.ini"});
  Write(a.Data("A_B_4_X.qvd"), "");
  ASSERT_EQ(document->Open(a.Data("A_B_4_X.qvd"), request::kLoadAll),
            CalibrationDocument::Started::kPosted);
  EXPECT_TRUE(document->Waiting());
  EXPECT_FALSE(a.rig.requests.Find(request::kLoadAll)->run());  // the load failed
  EXPECT_EQ(document->Path(), "");
  loaded = true;
  EXPECT_TRUE(a.rig.requests.Find(request::kLoadAll)->run());  // the work as the session runs it
  EXPECT_EQ(document->Path(), a.Data("A_B_4_X.qvd"));
  EXPECT_FALSE(document->Waiting());
  EXPECT_TRUE(document->Tick());
  EXPECT_FALSE(document->Modified());

  a.rig.image.base_map.assign(calib::sizes::kMapImage, 1);  // an edit
  EXPECT_TRUE(document->Tick());
  EXPECT_EQ(document->TitleSuffix(), "     A_B_4_X*");
  // A request the session dropped ends the wait.
  a.rig.session.Done();
  ASSERT_EQ(document->Save(a.Data("S.qvd")), CalibrationDocument::Started::kPosted);
  a.rig.session.Done();
  (void)document->Tick();
  EXPECT_FALSE(document->Waiting());
  document.reset();  // gives the session its own work back: nothing calls the document
  EXPECT_TRUE(a.rig.requests.Find(request::kLoadAll)->run());
}

TEST(FileMenuModel, OpensWithTheChosenScopeAndKeepsTheRecentFiles) {
  ArchiveRig a;
  FileMenuModel menu(DocumentEnv{a.rig.env, a.dates, a.rig.paths.bin + "/Recent.ini"});
  Write(a.Data("A.xsi"), "");
  EXPECT_TRUE(menu.OpenAsksScope());
  menu.Open(a.Data("A.xsi"), 2);  // maps and axes
  EXPECT_EQ(a.rig.session.posted, (std::vector<int>{request::kLoadMaps}));
  EXPECT_EQ(menu.Progress(), menu.Texts().loading);
  menu.Open(a.Data("A.xsi"), 0);  // the session is busy
  EXPECT_EQ(a.Said(), menu.Texts().busy);
  a.rig.session.Done();
  a.rig.session.state = st::kDisconnected;
  EXPECT_FALSE(menu.OpenAsksScope());
  menu.Open(a.Data("A.xsi"), 2);  // no ECU: the file opens into the image
  EXPECT_EQ(a.rig.session.posted.back(), request::kLoadAll);
  menu.Open(a.Data("none.xsi"));
  EXPECT_EQ(a.Said(), menu.Texts().missing_file);

  EXPECT_EQ(menu.DroppedCalibration({"/x/notes.txt", "/x/car.QVD", "/x/b.xsi"}), "/x/car.QVD");
  EXPECT_FALSE(menu.DroppedCalibration({"/x/notes.txt"}));

  RecentFiles recent(a.rig.paths.bin + "/Recent.ini");
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(recent.Add("/f" + std::to_string(i)));
  }
  ASSERT_TRUE(recent.Add("/f5"));
  RecentFiles again(a.rig.paths.bin + "/Recent.ini");
  again.Load();
  ASSERT_EQ(again.Paths().size(), RecentFiles::kLimit);
  EXPECT_EQ(again.Paths().front(), "/f5");
  EXPECT_EQ(again.Paths()[1], "/f9");
}

}  // namespace
}  // namespace velmora::pages
