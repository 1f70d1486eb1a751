#include "link/server/serve_pipes.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>

#include "link/pipe_protocol.h"
#include "link/server/profiles.h"
#include "platform/fake/fake_sys_io.h"
#include "platform/unique_fd.h"
#include "tests/linksrv/fake_serial.h"

namespace velmora::link::server {
namespace {

using platform::UniqueFd;

struct Pipe {
  Pipe() {
    int fds[2];
    EXPECT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    read_end.Reset(fds[0]);
    write_end.Reset(fds[1]);
  }
  UniqueFd read_end;
  UniqueFd write_end;
};

Bytes ReadAll(int fd) {
  Bytes out;
  std::uint8_t buf[256];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n <= 0) {
      return out;
    }
    out.insert(out.end(), buf, buf + n);
  }
}

std::vector<Bytes> SplitReplies(const Bytes& stream) {
  std::vector<Bytes> replies;
  std::size_t at = 0;
  while (at + 2 <= stream.size()) {
    const std::size_t n = stream[at] * 256u + stream[at + 1];
    if (n < 2 || at + n > stream.size()) {
      break;
    }
    replies.emplace_back(stream.begin() + static_cast<std::ptrdiff_t>(at),
                         stream.begin() + static_cast<std::ptrdiff_t>(at + n));
    at += n;
  }
  return replies;
}

class ServePipesTest : public ::testing::Test {
 protected:
  // Writes the requests, closes the input and serves them: the exit code.
  int Serve(const std::vector<Bytes>& messages) {
    for (const Bytes& m : messages) {
      EXPECT_EQ(::write(requests.write_end.Get(), m.data(), m.size()),
                static_cast<ssize_t>(m.size()));
    }
    requests.write_end.Reset();
    return ServePipes(io, requests.read_end.Get(), replies.write_end.Get(), server, log);
  }
  std::vector<Bytes> Replies() {
    replies.write_end.Reset();
    return SplitReplies(ReadAll(replies.read_end.Get()));
  }

  platform::FakeSysIo io;
  platform::FakeClock clock;
  testing::FakeOpener opener{clock};
  testing::FakePorts ports;
  Logger log{false};
  LinkServer server{opener, ports, clock, log};
  Pipe requests;
  Pipe replies;
};

TEST_F(ServePipesTest, ChoppedAndInterruptedPipesStillGiveOneReplyPerRequest) {
  io.max_read = 1;
  io.max_write = 3;
  io.Fail(platform::FakeSysIo::kRead, EINTR, 3, 2);
  io.Fail(platform::FakeSysIo::kWrite, EINTR, 2);
  EXPECT_EQ(Serve({EncodeRequest(4, Bytes{2}).value(), EncodeRequest(11, Bytes{3, 1}).value(),
                   // A length below the header size is answered, not trusted.
                   Bytes{5, 0, 4, 0, 0}, EncodeRequest(15, Bytes{0}).value()}),
            0);
  const std::vector<Bytes> got = Replies();
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0][2], 0);
  EXPECT_EQ(got[1][2], 11);
  EXPECT_EQ(Bytes(got[1].begin() + 8, got[1].end()), (Bytes{3, 1}));
  EXPECT_EQ(got[2][2], 1);
  EXPECT_EQ(got[3][2], 0);
  for (const Bytes& r : got) {
    EXPECT_EQ(r[5], 2) << "parameter echoed in every reply";
  }
}

TEST_F(ServePipesTest, ShutdownRepliesThenStops) {
  EXPECT_EQ(Serve({EncodeRequest(1, {}).value(), EncodeRequest(15, Bytes{0}).value()}), 0);
  const std::vector<Bytes> got = Replies();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], (Bytes{0, 8, 0, 0, 0, 0, 0, 0}));
}

TEST_F(ServePipesTest, BrokenPipesEndTheServerWithAFailure) {
  // The workstation went away: its reply pipe has no reader any more.
  replies.read_end.Reset();
  EXPECT_EQ(Serve({EncodeRequest(15, Bytes{0}).value()}), 1);
  // The input cannot be read.
  Pipe input;
  io.Fail(platform::FakeSysIo::kRead, EIO);
  EXPECT_EQ(ServePipes(io, input.read_end.Get(), input.write_end.Get(), server, log), 1);
}

TEST(Profiles, ReadsEachProfileAndFallsBackToTheDefault) {
  const auto p = ParseProfiles("//115200,8N1//57600,7e2//bogus//9600");
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[0], LineSettings{});
  EXPECT_EQ(p[1], (LineSettings{57600, 7, 'E', 2}));
  EXPECT_EQ(p[2], (LineSettings{9600, 8, 'N', 1}));
  for (const std::string_view bad : {"", "115200", "//", "//0,8N1", "//115200,9N1//x"}) {
    EXPECT_EQ(ParseProfiles(bad), DefaultProfiles()) << bad;
  }
}

}  // namespace
}  // namespace velmora::link::server
