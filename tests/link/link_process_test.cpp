// The channel against real processes: the launcher, the pipes and the
// installation-bound process handling.

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#endif

#include "link/link_startup.h"
#include "link/pipe_channel.h"
#include "platform/child_process.h"
#include "platform/fake/fakes.h"
#include "platform/posix/poll_event_pump.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/proc_process_list.h"
#include "tests/core/temp_dir.h"
#include "tests/link/fake_link.h"

namespace velmora::link {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kTimeout = 5'000'000;
constexpr std::uint8_t kListFds = 99;
constexpr std::uint8_t kGetEnv = 98;

#ifdef _WIN32
constexpr const char* kExeSuffix = ".exe";
#else
constexpr const char* kExeSuffix = "";
#endif

// A folder laid out like an installation, with the stand-in link server as
// its bin/LinkSrv.
struct TempInstall {
  TempInstall() {
    fs::create_directories(Bin());
    fs::copy_file(FAKE_LINK_SERVER, test::JoinPath(Bin(), std::string("LinkSrv") + kExeSuffix));
  }
  [[nodiscard]] std::string Bin() const { return dir.File("bin"); }
  test::TempDir dir;
};

// A channel on the real platform services.
struct RealChannel {
  platform::FakeMessageBox box;
  platform::PosixClock clock;
  platform::PollEventPump pump;
  platform::ProcProcessList processes;
  core::SessionFlags flags;
  ModPipe pipe;

  explicit RealChannel(LinkLocation location)
      : pipe(PipeServices{box, clock, pump, processes, platform::PosixSysIo(), flags},
             std::move(location)) {}

  // Waits (bounded) until the link server of this installation is gone.
  bool WaitGone() {
    const std::int64_t deadline = pipe.Adesso() + 5'000'000;
    while (pipe.LinkAttivo()) {
      if (pipe.Adesso() >= deadline) {
        return false;
      }
      pipe.Attendi(10'000);
    }
    return true;
  }
};

// A pipe whose write end a child could inherit: not close-on-exec, and on
// Windows an inheritable handle.
struct InheritablePipe {
  InheritablePipe() {
    int fds[2] = {-1, -1};
    EXPECT_EQ(platform::PosixSysIo().Pipe(fds, O_NONBLOCK).value, 0);
    read_end.Reset(fds[0]);
    write_end.Reset(fds[1]);
#ifdef _WIN32
    const auto h = reinterpret_cast<HANDLE>(_get_osfhandle(fds[1]));
    EXPECT_TRUE(SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT));
#endif
  }
  // With our write end closed: true when no other process holds one, so the
  // reader sees the end of input rather than a pipe still open.
  bool EndedWhenClosed() {
    write_end.Reset();
    std::uint8_t byte = 0;
    return platform::PosixSysIo().Read(read_end.Get(), &byte, 1).value == 0;
  }
  platform::UniqueFd read_end;
  platform::UniqueFd write_end;
};

TEST(ChildProcess, ChildGetsOnlyItsPipesAndTheGivenEnvironment) {
  TempInstall install;
  LinkLocation location{install.Bin(), "LinkSrv", {{"VELMORA_ROOT", "/somewhere/else"}}};
  RealChannel c(location);
  InheritablePipe leak_probe;
  ASSERT_TRUE(c.pipe.AvviaLink());
  EXPECT_TRUE(c.box.shown.empty());

  // The link server answers, so it has started its own program by now and
  // holds whatever it inherited.
  Bytes out;
  ASSERT_EQ(c.pipe.InviaMessaggio(MsgType::kEcuFrame, Bytes{0x0A, 0x0D, 0x1A}, kTimeout, &out),
            kOk);
  EXPECT_EQ(out, (Bytes{0x0A, 0x0D, 0x1A}));
  EXPECT_TRUE(leak_probe.EndedWhenClosed()) << "the link server inherited our pipe";
#ifndef _WIN32
  // Every descriptor it holds, where the system lists them.
  ASSERT_EQ(c.pipe.InviaMessaggio(kListFds, {}, kTimeout, &out), kOk);
  for (const std::uint8_t fd : out) {
    EXPECT_LE(fd, 2) << "the link server inherited descriptor " << int(fd);
  }
#endif
  const std::string name = "VELMORA_ROOT";
  ASSERT_EQ(c.pipe.InviaMessaggio(kGetEnv, Bytes(name.begin(), name.end()), kTimeout, &out), kOk);
  EXPECT_EQ(std::string(out.begin(), out.end()), "/somewhere/else");

  const Bytes payload(1000, 0x42);
  ASSERT_EQ(c.pipe.InviaMessaggio(MsgType::kEcuFrame, payload, kTimeout, &out), kOk);
  EXPECT_EQ(out, payload);

  EXPECT_TRUE(c.pipe.LinkAttivo());
  EXPECT_EQ(ShutdownLink(c.pipe, kTimeout), kOk);
  EXPECT_TRUE(c.WaitGone());
  // Nothing to end any more.
  EXPECT_EQ(ShutdownLink(c.pipe, kTimeout), kOk);
}

TEST(ChildProcess, MissingExecutableIsReportedAsNoProcess) {
  platform::SpawnRequest request;
  request.executable = "/nonexistent/velmora/LinkSrv";
  const platform::SpawnResult r = platform::SpawnWithPipes(request, platform::PosixSysIo());
  EXPECT_EQ(r.failure, platform::SpawnFailure::kProcess);
  EXPECT_EQ(r.error, ENOENT);
}

TEST(LinkProcess, KillingStaleLinkServersSparesOtherInstallations) {
  TempInstall mine;
  TempInstall other;
  RealChannel a(LinkLocation{mine.Bin(), "LinkSrv", {}});
  RealChannel b(LinkLocation{other.Bin(), "LinkSrv", {}});
  ASSERT_TRUE(a.pipe.AvviaLink());
  ASSERT_TRUE(b.pipe.AvviaLink());
  EXPECT_TRUE(a.pipe.LinkAttivo());
  EXPECT_TRUE(b.pipe.LinkAttivo());

  // A stale server of the first installation, as an earlier run left it.
  a.pipe.ChiudiLink();
  EXPECT_FALSE(a.pipe.LinkAttivo());
  EXPECT_TRUE(b.pipe.LinkAttivo());
  Bytes out;
  EXPECT_EQ(b.pipe.InviaMessaggio(MsgType::kEcuFrame, Bytes{1, 2}, kTimeout, &out), kOk);

  // The killed server's pipe is dead: the exchange fails fast.
  EXPECT_EQ(a.pipe.InviaMessaggio(MsgType::kEcuFrame, Bytes{1}, kTimeout, &out), kNoExchange);
  ASSERT_FALSE(a.box.shown.empty());

  EXPECT_EQ(ShutdownLink(b.pipe, kTimeout), kOk);
  EXPECT_TRUE(b.WaitGone());
}

TEST(LinkProcess, OnlyThisUsersLinkServersFromThisFolderCount) {
  testing::ChannelRig rig;  // installation bin: /opt/velmora/bin
  rig.processes.self_pid = 10;
  rig.processes.self_uid = 1000;
  rig.processes.processes = {
      {11, 1000, "LinkSrv", "/opt/velmora/bin/LinkSrv"},         // ours
      {12, 1000, "linksrv", "/opt/velmora/bin/../bin/linksrv"},  // ours, other spelling
      {13, 1001, "LinkSrv", "/opt/velmora/bin/LinkSrv"},         // another user's
      {14, 1000, "LinkSrv", "/opt/other/bin/LinkSrv"},           // another installation
      {15, 1000, "LinkSrv", ""},                                 // unknown folder
      {16, 1000, "velmora", "/opt/velmora/bin/velmora"},
      {10, 1000, "LinkSrv", "/opt/velmora/bin/LinkSrv"},  // this process itself
  };
  EXPECT_TRUE(rig.pipe.LinkAttivo());
  rig.pipe.ChiudiLink();
  EXPECT_EQ(rig.processes.terminated, (std::vector<int>{11, 12}));
  // The fake never lets them go: the wait gives up after three seconds.
  EXPECT_GE(rig.clock.now, 1'000'000 + 3'000'000);

  testing::ChannelRig none;
  none.processes.processes = {{14, 1000, "LinkSrv", "/opt/other/bin/LinkSrv"}};
  const std::int64_t before = none.clock.now;
  none.pipe.ChiudiLink();
  EXPECT_TRUE(none.processes.terminated.empty());
  EXPECT_EQ(none.clock.now, before);  // nothing killed, nothing waited for
  EXPECT_FALSE(none.pipe.LinkAttivo());
  EXPECT_EQ(ShutdownLink(none.pipe, kTimeout), kOk);
  EXPECT_TRUE(none.link.requests.empty());
}

TEST(LinkStartup, ClientNameInitAndShutdownMessages) {
  testing::ChannelRig rig;
  rig.link.handler = [](const testing::Request&) {
    return std::optional<Bytes>(testing::Reply(0));
  };
  rig.processes.processes = {{20, 1000, "Velmora", "/opt/velmora/bin/Velmora"}};
  EXPECT_EQ(ClientName(rig.processes, "velmora"), "velmora");
  EXPECT_EQ(ClientName(rig.processes, "velmora-cli"), "");
  EXPECT_EQ(ClientName(rig.processes, ""), "");

  ASSERT_EQ(SendClientName(rig.pipe, rig.processes, "velmora", kTimeout), kOk);
  ASSERT_EQ(SendClientName(rig.pipe, rig.processes, "other", kTimeout), kOk);
  ASSERT_EQ(SendLinkInit(rig.pipe, kTimeout), kOk);
  rig.processes.processes.push_back({21, 1000, "LinkSrv", "/opt/velmora/bin/LinkSrv"});
  ASSERT_EQ(ShutdownLink(rig.pipe, kTimeout), kOk);
  ASSERT_EQ(rig.link.requests.size(), 4u);
  EXPECT_EQ(rig.link.requests[0].type, 14);
  EXPECT_EQ(std::string(rig.link.requests[0].payload.begin(), rig.link.requests[0].payload.end()),
            "velmora");
  EXPECT_EQ(rig.link.requests[1].type, 14);
  EXPECT_TRUE(rig.link.requests[1].payload.empty());
  EXPECT_EQ(rig.link.requests[2].type, 2);
  EXPECT_EQ(rig.link.requests[2].payload, Bytes{0});
  EXPECT_EQ(rig.link.requests[3].type, 1);
  EXPECT_TRUE(rig.link.requests[3].payload.empty());

  core::PathTable paths = core::FillPathTable("/opt/velmora");
  const LinkLocation loc = LinkLocationFor(paths);
  EXPECT_EQ(loc.bin_dir, test::JoinPath("/opt/velmora", "bin"));
  EXPECT_EQ(loc.exe_name, "LinkSrv");
}

}  // namespace
}  // namespace velmora::link
