// The production calibration service's map and axis writes on the fake link
// in front of the virtual ECU's model: what each write sends depends on the
// ECU copy it keeps, which every read, write, failure and new ECU keeps
// honest; the image always ends up holding what the ECU answered.

#include <gtest/gtest.h>

#include <algorithm>

#include "calib/calibration_env.h"
#include "link/bank_transfer.h"
#include "link/ecu_identity.h"
#include "session/calib_calibration_service.h"
#include "tests/calib/calibration_rig.h"
#include "tests/session/session_rig.h"

namespace velmora::session::testing {
namespace {

// The rig's link, connected, with the production service on its own image.
struct ServiceRig {
  ServiceRig() {
    connected = rig.Connect();
    service.SetEcu(link::generation::kNex, CapabilitiesOf(link::generation::kNex));
    read = service.ReadAll();
  }

  // Command bytes sent since the last call.
  std::vector<std::uint8_t> Sent() {
    auto out = rig.Commands(seen);
    seen = rig.frames.size();
    return out;
  }
  // The addresses of the `command` frames sent since the last call.
  std::vector<int> Written(std::uint8_t command) {
    std::vector<int> out;
    for (std::size_t i = seen; i < rig.frames.size(); ++i) {
      const Bytes& f = rig.frames[i];
      if (f.size() > 5 && f[3] == command) {
        out.push_back(f[4] + f[5] * 256);
      }
    }
    seen = rig.frames.size();
    return out;
  }

  SessionRig rig;
  calib::CalibrationImage image;
  calib::testing::FixedDate dates;
  calib::CalibrationEnv env{rig.table, image, rig.box, dates, {}};
  CalibCalibrationService service{env, rig.ecu, "/nonexistent", "/nonexistent/default.xsi"};
  bool connected = false;
  bool read = false;
  std::size_t seen = 0;
};

std::size_t Count(const std::vector<std::uint8_t>& sent, std::uint8_t command) {
  return static_cast<std::size_t>(std::count(sent.begin(), sent.end(), command));
}

TEST(CalibServiceMaps, OnlyWhatDiffersFromTheEcuCopyIsSent) {
  ServiceRig s;
  ASSERT_TRUE(s.connected && s.read);
  ASSERT_EQ(s.image.base_map.size(), link::kBankSize);
  (void)s.Sent();

  // Nothing changed: only the read-back.
  ASSERT_TRUE(s.service.WriteMap(0));
  auto sent = s.Sent();
  EXPECT_EQ(Count(sent, link::cmd::kWriteBank1), 0u);
  EXPECT_EQ(Count(sent, link::cmd::kWriteCompanion), 0u);
  EXPECT_EQ(Count(sent, link::cmd::kReadBank1), 5u);
  EXPECT_EQ(Count(sent, link::cmd::kReadCompanion), 1u);

  // The record handed out to a record request reaches the ECU behind the
  // copy's back; put back as it was, it still has to be sent.
  Bytes& record = s.service.ParameterRecord();
  const Bytes original = record;
  record[15] ^= 0x02;
  ASSERT_EQ(s.rig.ecu.Command(link::cmd::kWriteCompanion, record), link::kOk);
  record = original;
  (void)s.Sent();
  ASSERT_TRUE(s.service.WriteMap(0));
  EXPECT_EQ(Count(s.Sent(), link::cmd::kWriteCompanion), 1u);
  link::BankImage held;
  ASSERT_EQ(link::LeggiBanco(s.rig.ecu, link::cmd::kReadBank1, &held), link::kOk);
  EXPECT_EQ(held.companion, original);
  (void)s.Sent();
  ASSERT_TRUE(s.service.WriteMap(0));
  EXPECT_EQ(Count(s.Sent(), link::cmd::kWriteCompanion), 0u);

  // One cell of the last chunk of the second map.
  s.image.second_map[500] = static_cast<std::uint8_t>(s.image.second_map[500] + 1);
  const Bytes wanted = s.image.second_map;
  ASSERT_TRUE(s.service.WriteMap(2));
  EXPECT_EQ(s.Written(link::cmd::kWriteBank3), std::vector<int>{440});
  EXPECT_EQ(s.image.second_map, wanted);

  // Another ECU (or the same one, identified again): nothing is assumed.
  s.service.SetEcu(link::generation::kNex, CapabilitiesOf(link::generation::kNex));
  ASSERT_TRUE(s.service.WriteMap(1));
  EXPECT_EQ(s.Written(link::cmd::kWriteBank2), (std::vector<int>{0, 110, 220, 330, 440}));
  ASSERT_TRUE(s.service.ReadAll());
  (void)s.Sent();
  ASSERT_TRUE(s.service.WriteMap(1));
  EXPECT_TRUE(s.Written(link::cmd::kWriteBank2).empty());
}

TEST(CalibServiceMaps, AWriteThatFailsPartWaySendsEverythingNextTime) {
  ServiceRig s;
  ASSERT_TRUE(s.connected && s.read);
  s.image.adaptive_map[0] = static_cast<std::uint8_t>(s.image.adaptive_map[0] + 1);
  s.rig.ecu_alive = false;
  EXPECT_FALSE(s.service.WriteMap(1));
  EXPECT_EQ(s.service.LastOutcome().error, calib::CalibrationError::kLink);
  s.rig.ecu_alive = true;
  s.rig.flags.ecu_lost = false;
  (void)s.Sent();
  ASSERT_TRUE(s.service.WriteMap(1));
  EXPECT_EQ(s.Written(link::cmd::kWriteBank2), (std::vector<int>{0, 110, 220, 330, 440}));
}

TEST(CalibServiceMaps, TheImageTakesWhatTheEcuAnswersAndADifferenceFails) {
  ServiceRig s;
  ASSERT_TRUE(s.connected && s.read);
  // An ECU that keeps cell 7 of the adaptive map at 0x55.
  s.rig.link.handler = [serve = s.rig.link.handler](const link::testing::Request& r) {
    auto reply = serve(r);
    const bool chunk0 = r.payload.size() > 5 && r.payload[3] == link::cmd::kReadBank2 &&
                        r.payload[4] == 0 && r.payload[5] == 0;
    constexpr std::size_t kCell = link::kAnswerDataOffset + 7;
    if (reply && chunk0) {
      // The reply carries the ECU frame after its header; patch the cell and
      // its check byte in place.
      Bytes& bytes = *reply;
      const std::size_t frame = bytes.size() - (link::kAnswerDataOffset + 110 + 1);
      bytes[frame + kCell] = 0x55;
      bytes.back() = link::CheckXor(std::span(bytes).subspan(frame, bytes.size() - frame - 1));
    }
    return reply;
  };
  s.image.adaptive_map[7] = 0x10;
  s.image.adaptive_map[8] = 0x11;
  EXPECT_FALSE(s.service.WriteMap(1));
  EXPECT_EQ(s.service.LastOutcome().error, calib::CalibrationError::kReadBackMismatch);
  EXPECT_EQ(s.image.adaptive_map[7], 0x55);
  EXPECT_EQ(s.image.adaptive_map[8], 0x11);
}

TEST(CalibServiceMaps, AxisTablesWriteReadBackAndGiveTheirBreakpoints) {
  ServiceRig s;
  ASSERT_TRUE(s.connected && s.read);
  ASSERT_EQ(s.image.rpm_vector.size(), 24u);
  ASSERT_EQ(s.image.time_vector.size(), 23u);
  EXPECT_EQ(s.service.LastAxisFailure(), calib::AxisFailure::kNone);
  (void)s.Sent();

  // The last rpm interval moved one step down.
  const Bytes rpm_before = s.image.rpm_vector;
  const std::uint8_t last = rpm_before.back();
  s.image.rpm_axis[last - 1] = 23;
  ASSERT_TRUE(s.service.WriteAxes());
  EXPECT_EQ(s.Sent(),
            (std::vector<std::uint8_t>{link::cmd::kWriteSpeedAxis, link::cmd::kWriteSpeedAxis,
                                       link::cmd::kWriteTimeAxis, link::cmd::kWriteTimeAxis,
                                       link::cmd::kReadSpeedAxis, link::cmd::kReadSpeedAxis,
                                       link::cmd::kReadTimeAxis, link::cmd::kReadTimeAxis}));
  EXPECT_EQ(s.image.rpm_vector.back(), last - 1);
  EXPECT_TRUE(std::equal(rpm_before.begin(), rpm_before.end() - 1, s.image.rpm_vector.begin()));

  // Tables that give no breakpoints are the ECU's business; the vectors
  // are left empty.
  std::fill(s.image.time_axis.begin() + 90, s.image.time_axis.end(), 0);
  ASSERT_TRUE(s.service.WriteAxes());
  EXPECT_TRUE(s.image.rpm_vector.empty());
  EXPECT_TRUE(s.image.time_vector.empty());
  EXPECT_NE(s.service.LastAxisFailure(), calib::AxisFailure::kNone);
  (void)s.Sent();

  // Wrong sizes and banks that are not there: refused without a frame.
  s.image.time_axis.push_back(0);
  EXPECT_FALSE(s.service.WriteAxes());
  s.image.time_axis.pop_back();
  s.image.base_map.pop_back();
  EXPECT_FALSE(s.service.WriteMap(0));
  EXPECT_FALSE(s.service.WriteMap(-1));
  s.image.SetGeneration(link::generation::kNex - 2);  // no adaptive banks
  EXPECT_FALSE(s.service.WriteMap(1));
  EXPECT_TRUE(s.Sent().empty());
}

}  // namespace
}  // namespace velmora::session::testing
