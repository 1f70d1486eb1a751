// Map and axis writes through the real session, LinkSrv and the virtual ECU:
// what the pages post (11, 63, 62, 23) reaches the ECU as the fewest frames
// that carry the change, and a fresh read finds exactly what was written.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "calib/axis_transfer.h"
#include "calib/axis_vectors.h"
#include "core/files.h"
#include "core/hex.h"
#include "core/text.h"
#include "link/bank_transfer.h"
#include "link/ecu_frame.h"
#include "tests/e2e/e2e_support.h"
#include "tests/session/session_workstation.h"

namespace velmora::session {
namespace {

namespace st = core::session_state;
using testing::Workstation;

// The frames the virtual ECU received, read from its record.
class ReceivedFrames {
 public:
  explicit ReceivedFrames(std::string path) : path_(std::move(path)) {}

  // Everything received since the last call.
  std::vector<Bytes> Next() {
    std::string text;
    (void)core::ReadWholeFile(path_, text);
    std::vector<Bytes> out;
    for (const std::string& line : core::Split(text.substr(std::min(seen_, text.size())), '\n')) {
      if (const auto frame = core::HexToBin(line.substr(0, line.find(' ')))) {
        if (frame->size() > 3) {
          out.push_back(*frame);
        }
      }
    }
    seen_ = text.size();
    return out;
  }

 private:
  std::string path_;
  std::size_t seen_ = 0;
};

// The frames with `command`, and the bank address each names.
std::vector<int> Addresses(const std::vector<Bytes>& frames, std::uint8_t command) {
  std::vector<int> out;
  for (const Bytes& f : frames) {
    if (f[3] == command && f.size() > 5) {
      out.push_back(f[4] + f[5] * 256);
    }
  }
  return out;
}

std::size_t Count(const std::vector<Bytes>& frames, std::uint8_t command) {
  return static_cast<std::size_t>(
      std::count_if(frames.begin(), frames.end(), [&](const Bytes& f) { return f[3] == command; }));
}

std::vector<std::uint8_t> Commands(const std::vector<Bytes>& frames) {
  std::vector<std::uint8_t> out;
  for (const Bytes& f : frames) {
    out.push_back(f[3]);
  }
  return out;
}

// Runs `code` through the session: posted as a page posts it, then both
// timers until it has run and the session is back at its polling.
bool RunRequest(Workstation& ws, int code) {
  if (!ws.session->PostRequest(code)) {
    return false;
  }
  return ws.RunUntil(
      [&] {
        return ws.session->PendingRequest() != code && ws.session->State() == st::kConnected &&
               !ws.flags.ecu_lost;
      },
      60);
}

link::BankImage ReadBank(Workstation& ws, std::uint8_t read_command) {
  link::BankImage bank;
  EXPECT_EQ(link::LeggiBanco(ws.ecu, read_command, &bank), link::kOk);
  return bank;
}

TEST(MapE2e, MapAndAxisWritesReachTheEcuAndReadBackAsWritten) {
  e2e::TempRoot root;
  const std::string record = root.Root() + "/requests.txt";
  e2e::Sim sim(root, {"--seed", "11", "--record", record});
  ASSERT_TRUE(sim.Ready());
  ReceivedFrames received(record);

  Workstation ws(root.Root());
  ASSERT_TRUE(ws.Start());
  ws.session->Start();
  ASSERT_TRUE(ws.RunUntil([&] { return ws.session->State() == st::kConnected; }, 60));
  ASSERT_EQ(ws.image.base_map.size(), link::kBankSize);
  ASSERT_EQ(ws.image.second_map.size(), link::kBankSize);
  EXPECT_EQ(ws.host.calibration_reads, 1);
  // The breakpoints behind the ECU's lookup tables.
  ASSERT_EQ(ws.image.rpm_vector.size(), calib::axis::kRpmBreakpoints);
  ASSERT_EQ(ws.image.time_vector.size(), calib::axis::kTimeBreakpoints);
  EXPECT_EQ(ws.image.rpm_vector.front(), 0);
  EXPECT_TRUE(std::is_sorted(ws.image.rpm_vector.begin(), ws.image.rpm_vector.end()));
  (void)received.Next();

  // Base map: two cells of the third chunk. Only that chunk goes, the
  // record ("[BLK_5]") stays as the ECU has it.
  Bytes base = ws.image.base_map;
  base[230] = static_cast<std::uint8_t>(base[230] + 5);
  base[300] = static_cast<std::uint8_t>(base[300] ^ 0x40);
  const Bytes record_before = ws.image.companion;
  ws.image.base_map = base;
  ASSERT_TRUE(RunRequest(ws, request::kWriteBank1));
  auto frames = received.Next();
  EXPECT_EQ(Addresses(frames, link::cmd::kWriteBank1), std::vector<int>{220});
  EXPECT_EQ(Count(frames, link::cmd::kWriteCompanion), 0u);
  EXPECT_EQ(Count(frames, link::cmd::kReadBank1), 5u);  // the read-back
  EXPECT_EQ(ws.image.base_map, base);
  link::BankImage fresh = ReadBank(ws, link::cmd::kReadBank1);
  EXPECT_EQ(fresh.map, base);
  EXPECT_EQ(fresh.companion, record_before);

  // A view flag of the record alone: the record goes, no chunk.
  ws.image.companion[15] = static_cast<std::uint8_t>(ws.image.companion[15] ^ 0x01);
  const Bytes record_after = ws.image.companion;
  (void)received.Next();
  ASSERT_TRUE(RunRequest(ws, request::kWriteBank1));
  frames = received.Next();
  EXPECT_TRUE(Addresses(frames, link::cmd::kWriteBank1).empty());
  EXPECT_EQ(Count(frames, link::cmd::kWriteCompanion), 1u);
  EXPECT_EQ(ReadBank(ws, link::cmd::kReadBank1).companion, record_after);

  // Adaptive and second maps, first and last chunk each.
  for (const auto& [code, map, commands] :
       {std::tuple{request::kWriteBank2, 1, link::bank::kAdaptive},
        std::tuple{request::kWriteBank3, 2, link::bank::kSecond}}) {
    Bytes edited = ws.image.Map(map);
    edited[3] = static_cast<std::uint8_t>(edited[3] + 1);
    edited[551] = static_cast<std::uint8_t>(edited[551] + 9);
    ws.image.Map(map) = edited;
    (void)received.Next();
    ASSERT_TRUE(RunRequest(ws, code)) << code;
    frames = received.Next();
    EXPECT_EQ(Addresses(frames, commands.write), (std::vector<int>{0, 440})) << code;
    EXPECT_EQ(ReadBank(ws, commands.read).map, edited) << code;
  }

  // A whole new map, as the carburation page's expansion makes one: every
  // chunk goes.
  Bytes expanded(link::kBankSize);
  for (std::size_t i = 0; i < expanded.size(); ++i) {
    expanded[i] = static_cast<std::uint8_t>(i * 37 + 11);
  }
  ws.image.base_map = expanded;
  (void)received.Next();
  ASSERT_TRUE(RunRequest(ws, request::kWriteBank1));
  EXPECT_EQ(Addresses(received.Next(), link::cmd::kWriteBank1),
            (std::vector<int>{0, 110, 220, 330, 440}));
  EXPECT_EQ(ReadBank(ws, link::cmd::kReadBank1).map, expanded);
  EXPECT_EQ(ws.host.maps_written, (std::vector<std::pair<int, bool>>{
                                      {0, true}, {0, true}, {1, true}, {2, true}, {0, true}}));
  EXPECT_TRUE(ws.box.shown.empty()) << ws.box.shown.front().text;

  // New axes: two breakpoints moved, the tables written and read back, then
  // everything read again through a new connection.
  calib::AxisBreakpoints points;
  std::copy(ws.image.rpm_vector.begin(), ws.image.rpm_vector.end(), points.rpm.begin());
  std::copy(ws.image.time_vector.begin(), ws.image.time_vector.end(), points.time.begin());
  points.rpm[5] = static_cast<std::uint8_t>(points.rpm[5] + 1);
  points.time[3] = static_cast<std::uint8_t>(points.time[3] - 1);
  ASSERT_LT(points.rpm[5], points.rpm[6]);
  ASSERT_GT(points.time[3], points.time[2]);
  calib::AxisTables tables;
  ASSERT_EQ(calib::VectorsToTables(points, &tables), calib::AxisFailure::kNone);
  ws.image.rpm_axis = tables.rpm;
  ws.image.time_axis = tables.time;
  (void)received.Next();
  ASSERT_TRUE(RunRequest(ws, request::kAxes));
  EXPECT_EQ(ws.host.calibration_reads, 2);
  frames = received.Next();
  const std::vector<std::uint8_t> commands = Commands(frames);
  const std::vector<std::uint8_t> axis_work = {
      link::cmd::kWriteSpeedAxis, link::cmd::kWriteSpeedAxis, link::cmd::kWriteTimeAxis,
      link::cmd::kWriteTimeAxis,  link::cmd::kReadSpeedAxis,  link::cmd::kReadSpeedAxis,
      link::cmd::kReadTimeAxis,   link::cmd::kReadTimeAxis};
  ASSERT_GE(commands.size(), axis_work.size());
  EXPECT_TRUE(std::equal(axis_work.begin(), axis_work.end(), commands.begin()));
  EXPECT_GE(Count(frames, link::cmd::kIdentify), 1u);  // the new connection
  calib::AxisTables held;
  ASSERT_EQ(calib::ReadAxisTables(ws.ecu, &held), link::kOk);
  EXPECT_EQ(held.rpm, tables.rpm);
  EXPECT_EQ(held.time, tables.time);
  EXPECT_EQ(ws.image.rpm_vector, Bytes(points.rpm.begin(), points.rpm.end()));
  EXPECT_EQ(ws.image.time_vector, Bytes(points.time.begin(), points.time.end()));
  // The maps were read again with the rest.
  EXPECT_EQ(ws.image.base_map, expanded);

  // What cannot be written is refused before anything is sent.
  (void)received.Next();
  ws.image.rpm_axis.pop_back();
  EXPECT_FALSE(ws.calibration.WriteAxes());
  ws.image.second_map.push_back(0);
  EXPECT_FALSE(ws.calibration.WriteMap(2));
  EXPECT_FALSE(ws.calibration.WriteMap(3));
  EXPECT_TRUE(received.Next().empty());

  ws.host.on_unload = [&] { EXPECT_FALSE(ws.session->QueryUnload(UnloadMode::kFromCode)); };
  EXPECT_TRUE(ws.session->QueryUnload(UnloadMode::kControlMenu));
  ASSERT_TRUE(ws.RunUntil([&] { return ws.session->Closed(); }, 10));
  EXPECT_TRUE(ws.RunUntil([&] { return !ws.pipe.LinkAttivo(); }, 10));
  ws.pipe.Detach();
}

}  // namespace
}  // namespace velmora::session
