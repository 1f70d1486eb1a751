// LinkSrv and velmora-ecusim as real processes: the link server on two pipes,
// the virtual ECU on a pseudo-terminal, found through the port registry.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "core/hex.h"
#include "link/pipe_protocol.h"
#include "link/port_registry.h"
#include "tests/linksrv/child_process.h"

namespace velmora::link {
namespace {

namespace fs = std::filesystem;
using velmora::testing::ChildProcess;

constexpr int kTimeoutMs = 10'000;

const std::string kNexIdent =
    "420142210003051809201947415345435520534551204E45584857203843594C2052303320202020202020"
    "000000010000200000004E455848572D3843594C2D5230334E";

class LinkProcessTest : public ::testing::Test {
 protected:
  LinkProcessTest() {
    const char* stage = std::getenv("VELMORA_STAGE");
    bin = stage != nullptr ? std::string(stage) + "/bin" : std::string();
    root = fs::temp_directory_path() / ("linkproc-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "bin");
  }
  ~LinkProcessTest() override { fs::remove_all(root); }

  // Starts a virtual ECU; its device path and port number.
  std::optional<ChildProcess> StartEcu(std::vector<std::string> extra, std::string& device,
                                       int& port) {
    std::vector<std::string> argv = {bin + "/velmora-ecusim", "--root", root.string()};
    argv.insert(argv.end(), extra.begin(), extra.end());
    auto ecu = ChildProcess::Start(argv);
    if (!ecu) {
      return std::nullopt;
    }
    const auto line = ecu->ReadLine(kTimeoutMs);
    if (!line) {
      return std::nullopt;
    }
    std::istringstream in(*line);
    in >> device >> port;
    return ecu;
  }

  ParsedReply Exchange(ChildProcess& link, std::uint8_t type, const Bytes& payload) {
    EXPECT_TRUE(link.Write(EncodeRequest(type, payload).value()));
    const Bytes head = link.Read(2, kTimeoutMs);
    if (head.size() != 2) {
      return {};
    }
    Bytes reply = head;
    const Bytes rest = link.Read(head[0] * 256u + head[1] - 2, kTimeoutMs);
    reply.insert(reply.end(), rest.begin(), rest.end());
    return ParseReply(reply);
  }

  std::string bin;
  fs::path root;
};

TEST_F(LinkProcessTest, IdentifiesTheVirtualEcuAndForwardsFrames) {
  ASSERT_FALSE(bin.empty()) << "VELMORA_STAGE not set";
  std::string device;
  int port = -1;
  auto ecu = StartEcu({"--hw", "nex"}, device, port);
  ASSERT_TRUE(ecu);
  ASSERT_GE(port, 1);
  const std::string registry = PortRegistryPath((root / "bin").string());
  EXPECT_EQ(LookupPort(registry, port), device);

  auto link = ChildProcess::Start({bin + "/LinkSrv", "--root", root.string()});
  ASSERT_TRUE(link);
  ParsedReply r = Exchange(*link, 3, {static_cast<std::uint8_t>(port)});
  ASSERT_EQ(r.result, kOk);
  EXPECT_EQ(r.header.link_state, 1);
  EXPECT_EQ(core::BinToHex(r.payload), kNexIdent);

  r = Exchange(*link, 6, core::HexToBin("4102032161").value());
  ASSERT_EQ(r.result, kOk);
  EXPECT_EQ(r.header.status, 6);
  EXPECT_EQ(core::BinToHex(r.payload), kNexIdent);

  // A bank chunk written and read back.
  Bytes write = {0x41, 0x02, 0x09, 0x13, 0x4A, 0x01, 0x03, 0x10, 0x20, 0x30};
  std::uint8_t x = 0;
  for (const std::uint8_t b : write) {
    x ^= b;
  }
  write.push_back(x);
  r = Exchange(*link, 6, write);
  ASSERT_EQ(r.result, kOk);
  EXPECT_EQ(core::BinToHex(r.payload), "420104130054");
  ASSERT_EQ(Exchange(*link, 8, {200, 0, 0, 0}).result, kOk);
  r = Exchange(*link, 6, core::HexToBin("410206124A010300").value());
  EXPECT_EQ(r.header.status, 4) << "a request with a wrong check byte gets no answer";
  EXPECT_EQ(r.header.link_state, 0);
  Bytes read = {0x41, 0x02, 0x06, 0x12, 0x4A, 0x01, 0x03};
  x = 0;
  for (const std::uint8_t b : read) {
    x ^= b;
  }
  read.push_back(x);
  r = Exchange(*link, 6, read);
  ASSERT_EQ(r.result, kOk);
  EXPECT_EQ(core::BinToHex(r.payload).substr(10, 6), "102030");

  r = Exchange(*link, 1, {});
  EXPECT_EQ(r.result, kOk);
  EXPECT_EQ(link->WaitExit(kTimeoutMs), 0);

  ecu->Signal(SIGTERM);
  EXPECT_EQ(ecu->WaitExit(kTimeoutMs), 0);
  EXPECT_EQ(LookupPort(registry, port), std::nullopt);
}

TEST_F(LinkProcessTest, CalibrationWrittenToTheEcuSurvivesARestart) {
  ASSERT_FALSE(bin.empty()) << "VELMORA_STAGE not set";
  const std::string state = (root / "ecu.state").string();
  const Bytes companion = {0x41, 0x02, 0x13, 0x32, 1,  2,  3,  4,  5,  6,
                           7,    8,    9,    10,   11, 12, 13, 14, 15, 16};
  Bytes frame = companion;
  std::uint8_t x = 0;
  for (const std::uint8_t b : frame) {
    x ^= b;
  }
  frame.push_back(x);
  for (int run = 0; run < 2; ++run) {
    std::string device;
    int port = -1;
    auto ecu = StartEcu({"--state", state, "--port", "4"}, device, port);
    ASSERT_TRUE(ecu);
    EXPECT_EQ(port, 4);
    auto link = ChildProcess::Start({bin + "/LinkSrv", "--root", root.string()});
    ASSERT_TRUE(link);
    ASSERT_EQ(Exchange(*link, 3, {4}).header.link_state, 1);
    if (run == 0) {
      EXPECT_EQ(Exchange(*link, 6, frame).header.status, 6);
    } else {
      const ParsedReply r = Exchange(*link, 6, core::HexToBin("4102033171").value());
      ASSERT_EQ(r.result, kOk);
      EXPECT_EQ(r.payload.size(), 22u);
      EXPECT_EQ(Bytes(r.payload.begin() + 5, r.payload.end() - 1),
                Bytes(companion.begin() + 4, companion.end()));
    }
    EXPECT_EQ(Exchange(*link, 1, {}).result, kOk);
    EXPECT_EQ(link->WaitExit(kTimeoutMs), 0);
    ecu->Signal(SIGTERM);
    EXPECT_EQ(ecu->WaitExit(kTimeoutMs), 0);
  }
}

}  // namespace
}  // namespace velmora::link
