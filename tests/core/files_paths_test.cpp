#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <utility>

#include "core/files.h"
#include "core/key_file.h"
#include "core/paths.h"
#include "platform/fake/fake_sys_io.h"
#include "tests/core/temp_dir.h"

namespace velmora::core {
namespace {

void WriteRaw(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

TEST(LeggiRighe, SplitsOnlyAtCrLf) {
  test::TempDir dir;
  WriteRaw(dir.File("crlf.ini"), "[A]\r\n1\r\nlast");
  std::vector<std::string> lines;
  ASSERT_TRUE(LeggiRighe(dir.File("crlf.ini"), lines));
  EXPECT_EQ(lines, (std::vector<std::string>{"[A]", "1", "last"}));

  // A file of LF-only line ends is one line.
  WriteRaw(dir.File("lf.ini"), "[A]\n1\n");
  ASSERT_TRUE(LeggiRighe(dir.File("lf.ini"), lines));
  EXPECT_EQ(lines, (std::vector<std::string>{"[A]\n1\n"}));

  // The text after the final CR LF is a (here empty) last line.
  WriteRaw(dir.File("end.ini"), "a\r\n");
  ASSERT_TRUE(LeggiRighe(dir.File("end.ini"), lines));
  EXPECT_EQ(lines, (std::vector<std::string>{"a", ""}));

  // A missing file leaves the caller's list as it was.
  lines = {"kept"};
  EXPECT_FALSE(LeggiRighe(dir.File("missing.ini"), lines));
  EXPECT_EQ(lines, std::vector<std::string>{"kept"});
  EXPECT_FALSE(LeggiRighe(dir.Path(), lines));  // a folder is not a file
}

std::size_t FilesIn(const std::string& dir) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) {
    ++count;
  }
  return count;
}

TEST(Files, ExistenceFoldersAndAtomicWrite) {
  test::TempDir dir;
  EXPECT_FALSE(EsisteFile(dir.File("x")));
  EXPECT_FALSE(EsisteFile(dir.Path()));
  EXPECT_TRUE(EsisteCartella(dir.Path()));
  EXPECT_FALSE(EsisteCartella(dir.File("sub")));
  EXPECT_TRUE(CreaCartella(dir.File("sub")));
  EXPECT_TRUE(EsisteCartella(dir.File("sub")));
  EXPECT_TRUE(CreaCartella(dir.File("sub")));  // already there is fine

  ASSERT_TRUE(WriteFileAtomic(dir.File("f.txt"), "old"));
  // Interrupted, short writes still write everything.
  platform::FakeSysIo choppy;
  choppy.max_write = 2;
  choppy.Fail(platform::FakeSysIo::kWrite, EINTR, 2, 1);
  ASSERT_TRUE(WriteFileAtomic(dir.File("f.txt"), "new", choppy));
  std::string content;
  ASSERT_TRUE(ReadWholeFile(dir.File("f.txt"), content));
  EXPECT_EQ(content, "new");
  EXPECT_EQ(FilesIn(dir.Path()), 2u);
  EXPECT_FALSE(WriteFileAtomic(dir.File("nofolder/f.txt"), "x"));
}

TEST(Files, FailedAtomicWriteLeavesTheOldFileAndNoTemporaryFile) {
  test::TempDir dir;
  ASSERT_TRUE(WriteFileAtomic(dir.File("f.txt"), "old"));
  using platform::FakeSysIo;
  for (const auto& [call, error] : {std::pair{FakeSysIo::kOpen, ENOSPC},
                                    {FakeSysIo::kWrite, ENOSPC},
                                    {FakeSysIo::kFsync, EIO},
                                    {FakeSysIo::kRename, EACCES}}) {
    FakeSysIo io;
    io.Fail(call, error);
    EXPECT_FALSE(WriteFileAtomic(dir.File("f.txt"), "lost", io)) << call;
    std::string content;
    ASSERT_TRUE(ReadWholeFile(dir.File("f.txt"), content));
    EXPECT_EQ(content, "old") << call;
    EXPECT_EQ(FilesIn(dir.Path()), 1u) << call;
  }
}

TEST(Paths, RootIsParentOfExecutableFolder) {
  EXPECT_EQ(RootFromExecutableDir("/opt/velmora/bin", '/'), "/opt/velmora");
  EXPECT_EQ(RootFromExecutableDir("C:\\Programs\\Velmora\\bin", '\\'), "C:\\Programs\\Velmora");
  // A folder directly in a drive root gives an empty root: paths begin with the separator.
  EXPECT_EQ(RootFromExecutableDir("C:\\bin", '\\'), "");
  EXPECT_EQ(RootFromExecutableDir("/bin", '/'), "");
  EXPECT_EQ(RootFromExecutableDir("", '/'), "");

  const PathTable empty = FillPathTable("", '\\');
  EXPECT_EQ(empty.set_com, "\\bin\\SetCom.ini");

  const PathTable t = FillPathTable("/opt/v", '/');
  EXPECT_EQ(t.port_com, "/opt/v/bin/PortCom.ini");
  EXPECT_EQ(t.config_scale, "/opt/v/lng/ConfigScale.ini");
  EXPECT_EQ(t.default_firmware, "/opt/v/bin/fw/Velmora_2ndHw.frh");
  EXPECT_EQ(t.tuning_states[0], "/opt/v/Tune/StatoTun.txt");
  EXPECT_EQ(t.tuning_states[4], "/opt/v/Tune/StatoTun4.txt");
  EXPECT_EQ(t.default_calibration, "/opt/v/lng/00 Direct Inj Custom.xsi");
  EXPECT_EQ(t.data_dir, "/opt/v/Data/");
  EXPECT_EQ(t.dictionary, "/opt/v/lng/diz.diz");
  EXPECT_EQ(t.language_choice, "/opt/v/lng/diz.con");
}

TEST(KeyFileCursor, ValuesStopAtTheEndOfInput) {
  const std::vector<std::string> lines{"junk", "[A]", "1", "[B]"};
  KeyFileCursor cur(lines);
  EXPECT_FALSE(IsBracketKey(cur.Line()));
  cur.Next();
  ASSERT_TRUE(IsBracketKey(cur.Line()));
  EXPECT_EQ(cur.TakeKey(1), std::vector<std::string>{"1"});
  EXPECT_EQ(cur.Line(), "[B]");
  EXPECT_TRUE(cur.TakeKey(7).empty());  // nothing after the last key
  EXPECT_TRUE(cur.Done());

  // A value line missing: the next key is not taken as a value.
  const std::vector<std::string> damaged{"[A]", "1", "[B]", "2"};
  KeyFileCursor c2(damaged);
  EXPECT_EQ(c2.TakeKey(2), std::vector<std::string>{"1"});
  EXPECT_EQ(c2.Line(), "[B]");
  EXPECT_FALSE(IsBracketKey("[]x"));
  EXPECT_FALSE(IsBracketKey("["));
}

}  // namespace
}  // namespace velmora::core
