#include "core/user_data.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "core/dictionary.h"
#include "core/files.h"
#include "platform/fake/fake_sys_io.h"
#include "tests/core/temp_dir.h"

namespace velmora::core {
namespace {

using platform::FakeSysIo;
using platform::UserEnvironment;

TEST(UserDataRoot, WritableRootOverrideAndTheUsersDataFolder) {
  test::TempDir root;
  FakeSysIo io;
  // Absolute on every platform; only the names matter here.
  const std::string xdg = root.File("xdg/data");
  const std::string home = root.File("home/fitter");
  const UserEnvironment env{"", xdg, home};
  EXPECT_EQ(UserDataRoot(root.Path(), env, io), root.Path());
  EXPECT_EQ(UserDataRoot(root.Path(), {"/tests/data//", xdg, home}, io), "/tests/data");

  // A root this user may not write to, or one with a read-only folder the
  // programs write into, sends the written files to the user's data folder.
  io.Fail(FakeSysIo::kAccess, EACCES);
  EXPECT_EQ(UserDataRoot(root.Path(), env, io), test::JoinPath(xdg, "velmora"));
  ASSERT_TRUE(CreaCartella(root.File("lng")));
  io.Fail(FakeSysIo::kAccess, EROFS, 1, 1);
  EXPECT_EQ(UserDataRoot(root.Path(), env, io), test::JoinPath(xdg, "velmora"));
  io.Fail(FakeSysIo::kAccess, EACCES);
  EXPECT_EQ(UserDataRoot(root.Path(), {"", "relative/data", home + "/"}, io),
            test::JoinPath(home, ".local/share/velmora"));
  io.Fail(FakeSysIo::kAccess, EACCES);
  EXPECT_EQ(UserDataRoot(root.Path(), {}, io), root.Path());
  EXPECT_EQ(UserDataRoot("/no/such/installation", env, io), test::JoinPath(xdg, "velmora"));
}

TEST(UserDataRoot, ReadOnlyInstallationGetsPreparedUserFolders) {
  test::TempDir root;
  test::TempDir home;
  for (const char* folder : {"bin", "lng", "Data"}) {
    ASSERT_TRUE(CreaCartella(root.File(folder)));
  }
  ASSERT_TRUE(WriteFileAtomic(root.File("lng/OsciSetUp.ini"), "[CH]\r\n1\r\n"));
  ASSERT_TRUE(WriteFileAtomic(root.File("lng/diz.diz"), "###\r\n#English&0\r\nTitle\r\n"));
  ASSERT_TRUE(WriteFileAtomic(root.File("Data/Costruttori.txt"), "Fiat\r\n"));
  FakeSysIo io;
  io.Fail(FakeSysIo::kAccess, EACCES);
  const PathTable paths = InstallationPaths(root.Path(), {"", "", home.Path()}, io);

  const std::string user = home.File(".local/share/velmora");
  EXPECT_EQ(paths.user_root, user);
  EXPECT_EQ(paths.port_registry, test::JoinPath(user, "bin/PortReg.ini"));
  EXPECT_EQ(paths.port_com, test::JoinPath(user, "bin/PortCom.ini"));
  EXPECT_EQ(paths.data_dir, test::JoinPath(user, "Data/"));
  EXPECT_EQ(paths.tuning_states[4], test::JoinPath(user, "Tune/StatoTun4.txt"));
  EXPECT_EQ(paths.dictionary, root.File("lng/diz.diz"));
  EXPECT_EQ(paths.tuning_parameters, root.File("lng/ParaTun.txt"));
  EXPECT_EQ(paths.set_com, root.File("bin/SetCom.ini"));
  for (const char* folder : {"bin", "lng", "Data", "Tune"}) {
    EXPECT_TRUE(EsisteCartella(test::JoinPath(user, folder))) << folder;
  }
  std::string text;
  ASSERT_TRUE(ReadWholeFile(paths.osci_setup, text));
  EXPECT_EQ(text, "[CH]\r\n1\r\n");
  EXPECT_TRUE(EsisteFile(paths.manufacturers));
  EXPECT_FALSE(EsisteFile(paths.port_com));  // none shipped, none made

  // The user's copy is theirs from now on; the missing language choice is
  // made beside it, not in the installation.
  ASSERT_TRUE(WriteFileAtomic(paths.osci_setup, "mine"));
  (void)PrepareUserData(paths);
  ASSERT_TRUE(ReadWholeFile(paths.osci_setup, text));
  EXPECT_EQ(text, "mine");
  ClsLingue lingue;
  lingue.SetPathDizionario(paths.dictionary);
  lingue.SetPathAttualeLingua(paths.language_choice);
  lingue.LoadDizionario();
  EXPECT_EQ(lingue.PathAttualeLingua(), paths.language_choice);
  EXPECT_TRUE(EsisteFile(paths.language_choice));
  EXPECT_FALSE(EsisteFile(root.File("lng/diz.con")));
}

}  // namespace
}  // namespace velmora::core
