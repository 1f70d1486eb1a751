#include "link/port_registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <thread>

#include "core/files.h"
#include "platform/fake/fake_sys_io.h"
#include "platform/fake/fakes.h"
#include "tests/core/temp_dir.h"

namespace velmora::link {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class PortRegistryTest : public ::testing::Test {
 protected:
  void WriteRaw(std::string_view text) { std::ofstream(file, std::ios::binary) << text; }
  std::string Text() {
    std::string text;
    EXPECT_TRUE(core::ReadWholeFile(file, text));
    return text;
  }

  test::TempDir dir;
  std::string file = PortRegistryPath(dir.Path());
};

TEST_F(PortRegistryTest, NumbersAreStableLowestFreeAndRequestable) {
  EXPECT_TRUE(LoadPortRegistry(file).empty());
  EXPECT_EQ(RegisterPort(file, "/dev/a"), 1);
  EXPECT_EQ(RegisterPort(file, "/dev/b"), 2);
  EXPECT_EQ(RegisterPort(file, "/dev/a"), 1);
  EXPECT_EQ(RegisterPort(file, "/dev/usb", 0), 0);
  EXPECT_EQ(LookupPort(file, 0), "/dev/usb");
  EXPECT_EQ(LookupPort(file, 2), "/dev/b");
  EXPECT_EQ(LookupPort(file, 3), std::nullopt);

  // A number held by a device that exists is refused; one whose device is
  // gone is taken over.
  const std::string real = dir.File("tty-real");
  std::ofstream(real) << "";
  EXPECT_EQ(RegisterPort(file, real, 5), 5);
  EXPECT_EQ(RegisterPort(file, "/dev/c", 5), std::nullopt);
  EXPECT_EQ(RegisterPort(file, "/dev/c", 2), 2);
  EXPECT_EQ(LookupPort(file, 2), "/dev/c");
  // A registered device moves to the number it asks for.
  EXPECT_EQ(RegisterPort(file, "/dev/a", 9), 9);
  EXPECT_EQ(LookupPort(file, 1), std::nullopt);

  EXPECT_TRUE(UnregisterPort(file, "/dev/c"));
  EXPECT_TRUE(UnregisterPort(file, "/dev/never"));
  EXPECT_EQ(RegisterPort(file, "/dev/d"), 1);
  EXPECT_EQ(LoadPortRegistry(file),
            (std::vector<PortEntry>{{0, "/dev/usb"}, {1, "/dev/d"}, {5, real}, {9, "/dev/a"}}));

  EXPECT_TRUE(Text().starts_with("[COM0]\r\n/dev/usb\r\n[COM1]\r\n/dev/d\r\n")) << Text();

  EXPECT_EQ(RegisterPort(file, ""), std::nullopt);
  EXPECT_EQ(RegisterPort(file, "/dev/x\r\n[COM3]"), std::nullopt);
  EXPECT_EQ(RegisterPort(file, "/dev/x", 256), std::nullopt);
}

TEST_F(PortRegistryTest, DamagedFilesAreReadAsFarAsTheyMakeSense) {
  WriteRaw(
      "\0\xFF garbage\r\n[COM]\r\n/dev/x\r\n[COM300]\r\n/dev/y\r\n[COM-1]\r\n/dev/z\r\n"
      "[COM3]\r\n[COM4]\r\n/dev/four\r\n[COM4]\r\n/dev/dup\r\n[COM6]\r\n/dev/four\r\n"
      "[COM 7]\r\n/dev/seven\r\n[COM8]\r\n"s);
  EXPECT_EQ(LoadPortRegistry(file), (std::vector<PortEntry>{{4, "/dev/four"}}));
  WriteRaw("[COM1]\n/dev/lf-only\n");
  EXPECT_TRUE(LoadPortRegistry(file).empty());
  WriteRaw("[COM1]");
  EXPECT_TRUE(LoadPortRegistry(file).empty());

  // Registering repairs the file.
  WriteRaw("\x01\x02\r\n[COM2]\r\n/dev/two\r\n[COM"s);
  EXPECT_EQ(RegisterPort(file, "/dev/new"), 1);
  EXPECT_EQ(LoadPortRegistry(file), (std::vector<PortEntry>{{1, "/dev/new"}, {2, "/dev/two"}}));
}

TEST_F(PortRegistryTest, InterruptedLockAndFullDisk) {
  using platform::FakeSysIo;
  FakeSysIo interrupted;
  interrupted.Fail(FakeSysIo::kFlock, EINTR, 2);
  EXPECT_EQ(RegisterPort(file, "/dev/a", -1, interrupted), 1);
  EXPECT_EQ(RegisterPort(file, "/dev/b"), 2);
  const std::string before = Text();

  // A full disk changes nothing and leaves no temporary file; numbers
  // already registered are still given.
  FakeSysIo full;
  full.Fail(FakeSysIo::kWrite, ENOSPC, 10);
  EXPECT_EQ(RegisterPort(file, "/dev/c", -1, full), std::nullopt);
  EXPECT_FALSE(UnregisterPort(file, "/dev/a", full));
  EXPECT_EQ(AssignPortNumbers(file, {{"usb:1:2:3", "/dev/a"}}, full), std::vector<int>{-1});
  EXPECT_EQ(RegisterPort(file, "/dev/a", -1, full), 1);
  EXPECT_EQ(Text(), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2);

  // Without its lock the registry is not written.
  FakeSysIo no_lock;
  no_lock.Fail(FakeSysIo::kOpen, EACCES);
  EXPECT_EQ(RegisterPort(file, "/dev/c", -1, no_lock), std::nullopt);
  EXPECT_EQ(Text(), before);
}

TEST_F(PortRegistryTest, ConcurrentRegistrationsGetDistinctNumbers) {
  constexpr int kThreads = 8;
  constexpr int kProcesses = 4;
  constexpr int kPerWorker = 5;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      bool ok = true;
      for (int i = 0; i < kPerWorker; ++i) {
        ok = ok && RegisterPort(file, "/dev/proc" + std::to_string(p) + "-" + std::to_string(i))
                       .has_value();
      }
      ::_exit(ok ? 0 : 1);
    }
    children.push_back(pid);
  }
  std::vector<std::thread> threads;
  std::vector<std::vector<int>> numbers(kThreads);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kPerWorker; ++i) {
        numbers[t].push_back(
            RegisterPort(file, "/dev/thr" + std::to_string(t) + "-" + std::to_string(i))
                .value_or(-1));
      }
    });
  }
  for (auto& th : threads) {
    th.join();
  }
  for (const pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const std::vector<PortEntry> entries = LoadPortRegistry(file);
  ASSERT_EQ(entries.size(), static_cast<std::size_t>((kThreads + kProcesses) * kPerWorker));
  std::set<int> distinct;
  for (const PortEntry& e : entries) {
    distinct.insert(e.number);
  }
  EXPECT_EQ(distinct.size(), entries.size());
  EXPECT_EQ(*distinct.begin(), 1);
  EXPECT_EQ(*distinct.rbegin(), static_cast<int>(entries.size()));
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kPerWorker; ++i) {
      EXPECT_EQ(LookupPort(file, numbers[t][i]),
                "/dev/thr" + std::to_string(t) + "-" + std::to_string(i));
    }
  }
}

TEST_F(PortRegistryTest, EntriesOfEndedRegistrantsAreSkippedAndDropped) {
  platform::FakeProcessList processes;
  processes.self_pid = 40;
  processes.processes = {{40, 1000, "velmora-ecusim", "", 111}};
  // A device of an older file (no registrant) and a virtual ECU's pty.
  WriteRaw("[COM1]\r\n/dev/ttyUSB0\r\n[COM1.PID]\r\nnot-a-pid\r\n");
  EXPECT_EQ(RegisterOwnPort(file, "/dev/pts/3", -1, processes), 2);
  EXPECT_NE(Text().find("[COM2.PID]\r\n40 111"), std::string::npos);
  EXPECT_EQ(LookupPort(file, 2, processes), "/dev/pts/3");
  EXPECT_EQ(RegisterPort(file, "/dev/pts/3", -1, platform::PosixSysIo(), processes), 2);
  EXPECT_NE(Text().find("40 111"), std::string::npos);  // a plain registration keeps the mark

  // The pid now belongs to a later process: the entry is gone for readers.
  processes.processes = {{40, 1000, "bash", "", 222}};
  EXPECT_EQ(LookupPort(file, 2, processes), std::nullopt);
  EXPECT_EQ(LoadPortRegistry(file, processes), (std::vector<PortEntry>{{1, "/dev/ttyUSB0"}}));
  // A new virtual ECU on the reused node takes the number under its own mark.
  processes.self_pid = 41;
  processes.processes.push_back({41, 1000, "velmora-ecusim", "", 333});
  EXPECT_EQ(RegisterOwnPort(file, "/dev/pts/3", -1, processes), 2);
  EXPECT_NE(Text().find("[COM2.PID]\r\n41 333"), std::string::npos);
  // Once it has ended too, its number can be asked for and the file loses it.
  processes.processes.clear();
  EXPECT_EQ(RegisterPort(file, "/dev/other", 2, platform::PosixSysIo(), processes), 2);
  EXPECT_EQ(LoadPortRegistry(file, processes),
            (std::vector<PortEntry>{{1, "/dev/ttyUSB0"}, {2, "/dev/other"}}));
  EXPECT_EQ(Text().find("PID]"), std::string::npos);
}

}  // namespace
}  // namespace velmora::link
