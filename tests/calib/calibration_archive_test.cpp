// The vehicle archive's file names, notes, listing and deletion, and the
// readable text dump.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "calib/calibration_archive.h"
#include "calib/calibration_dump.h"
#include "core/hex.h"
#include "tests/core/temp_dir.h"

namespace velmora::calib {
namespace {

namespace fs = std::filesystem;

void Write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(CalibrationArchive, NamesAreBuiltSplitAndChecked) {
  EXPECT_EQ(ArchiveFileName({"M", "P", "4", "X"}), "M_P_4_X.qvd");
  EXPECT_EQ(ArchiveFileName({" FIAT", "Punto", "4", "AB12 "}), "FIAT_Punto_4_AB12.qvd");
  EXPECT_EQ(SplitArchiveName("/data/M_P_4_X.qvd"), (ArchiveName{"M", "P", "4", "X"}));
  // Fewer than three "_" leave the remaining fields empty.
  EXPECT_EQ(SplitArchiveName("FIAT_Punto.qvd"), (ArchiveName{"FIAT", "Punto", "", ""}));
  EXPECT_EQ(SplitArchiveName("Lone.qvd"), (ArchiveName{"Lone", "", "", ""}));
  EXPECT_EQ(SplitArchiveName("A_B_4_X_extra.qvd"), (ArchiveName{"A", "B", "4", "X"}));

  EXPECT_EQ(CheckArchiveName({"M", "P", "4", "X"}), NameFault::kNone);
  EXPECT_EQ(CheckArchiveName({"M", "", "4", "X"}), NameFault::kEmpty);
  for (const char* bad : {"../x", "a/b", "a\\b", "..", "x\ty", "a:b", "a_b", "a*b"}) {
    EXPECT_EQ(CheckArchiveName({"M", bad, "4", "X"}), NameFault::kForbidden) << bad;
  }
}

TEST(CalibrationArchive, NotesManufacturersAndListing) {
  test::TempDir dir;
  const std::string data = dir.Path() + "/";
  // A three-line note shows as three lines; a line beginning with "[" ends it.
  Write(data + "A_B_4_X.qvd",
        "[INFO]\r\nx\r\n[NOTE]\r\nfirst\r\nsecond\r\nthird\r\n[not note]\r\nmore\r\n[FW]\r\n");
  EXPECT_EQ(ReadNoteOfFile(data + "A_B_4_X.qvd"), "first\r\nsecond\r\nthird");
  EXPECT_EQ(ReadNoteOfFile(data + "missing.qvd"), "");

  Write(data + "Costruttori.txt", "Fiat\r\n\r\nalfa romeo\r\n");
  EXPECT_EQ(ReadManufacturers(data + "Costruttori.txt"),
            (std::vector<std::string>{"FIAT", "ALFA ROMEO"}));
  EXPECT_TRUE(ReadManufacturers(data + "none.txt").empty());

  Write(data + "C_D_6_Y.QVD", "");
  Write(data + "calibration.xsi", "");
  fs::create_directory(data + "folder.qvd");
  EXPECT_EQ(ListArchive(data), (std::vector<std::string>{"A_B_4_X.qvd", "C_D_6_Y.QVD"}));
}

TEST(CalibrationArchive, DeletesOnlyAPlainFileInsideTheFolder) {
  test::TempDir dir;
  const std::string data = dir.File("Data/");
  fs::create_directory(data);
  Write(dir.File("outside.qvd"), "keep");
  Write(data + "A_B_4_X.qvd", "");
  fs::create_directory(data + "sub.qvd");

  for (const char* refused :
       {"../outside.qvd", "..\\outside.qvd", "sub.qvd", "", "..", "none.qvd"}) {
    EXPECT_FALSE(DeleteArchiveFile(data, refused)) << refused;
  }
  EXPECT_TRUE(fs::exists(dir.File("outside.qvd")));
  EXPECT_TRUE(fs::exists(data + "sub.qvd"));
  EXPECT_TRUE(DeleteArchiveFile(data, "A_B_4_X.qvd"));
  EXPECT_FALSE(fs::exists(data + "A_B_4_X.qvd"));
}

TEST(CalibrationArchive, LeavesWhatALinkInTheFolderPointsTo) {
#ifdef _WIN32
  GTEST_SKIP() << "making a symbolic link on Windows needs a privilege a test run cannot count on";
#endif
  test::TempDir dir;
  const std::string data = dir.File("Data/");
  fs::create_directory(data);
  Write(dir.File("outside.qvd"), "keep");
  fs::create_symlink(dir.File("outside.qvd"), data + "link.qvd");
  EXPECT_FALSE(DeleteArchiveFile(data, "link.qvd"));
  EXPECT_TRUE(fs::exists(dir.File("outside.qvd")));
  EXPECT_TRUE(fs::is_symlink(data + "link.qvd"));
}

TEST(CalibrationDump, AKnownCalibrationGivesItsText) {
  std::vector<core::MessageEntry> entries(2);
  entries[0].number = 0;
  entries[0].name = "IDENT";
  entries[0].fields = {{"UB", 6, 1}, {"UW", 7, 1}};
  entries[1].number = 1;
  entries[1].name = "BLK_X";
  entries[1].fields = {{"SB", 6, 1}};
  link::MessageTable table(entries);
  const Bytes answer = *core::HexToBin("420107210005020163");
  table.SetLastAnswer(0, answer);
  table.DecodificaRisposta(answer, 0);
  CalibrationImage image;
  image.companion = {1, 2, 3};  // a record not read whole: the rest reads 0

  std::string expected = " \r\nMatSoglie blocco 5 Calibration dump\r\n???\r\n1\r\n2\r\n3\r\n";
  for (int i = 3; i < 16; ++i) {
    expected += "0\r\n";
  }
  expected += " \r\nIDENT 0\r\n420107210005020163\r\n5\r\n258\r\n";
  expected += " \r\nBLK_X 1\r\n\r\n0\r\n";
  EXPECT_EQ(CalibrationDump(table, image, "Calibration dump"), expected);
}

}  // namespace
}  // namespace velmora::calib
