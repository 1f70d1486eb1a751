#include "sim/state_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "link/ecu_frame.h"
#include "sim/ecu_model.h"
#include "tests/core/temp_dir.h"

namespace velmora::sim {
namespace {

namespace fs = std::filesystem;

class StateFileTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  std::string path = dir.File("ecu.state");
};

TEST_F(StateFileTest, WrittenMemorySurvivesARestart) {
  Bytes chunk = {0xB8, 0x01, 0x70};
  for (int i = 0; i < 0x70; ++i) {
    chunk.push_back(static_cast<std::uint8_t>(255 - i));
  }
  {
    EcuModel ecu(SimSetup{});
    ASSERT_TRUE(ecu.Answer(link::RequestFrame(0x79, chunk).value()));
    ASSERT_TRUE(ecu.Answer(link::RequestFrame(0x1D).value()));
    ASSERT_TRUE(SaveState(path, ecu.Memory()));
  }
  EcuModel fresh(SimSetup{});
  EcuModel restored(SimSetup{});
  ASSERT_TRUE(LoadState(path, restored.Memory()));
  EXPECT_EQ(restored.Memory().Regions().size(), fresh.Memory().Regions().size());
  const auto bank3 = restored.Memory().Region("BANK3");
  EXPECT_TRUE(std::equal(chunk.begin() + 3, chunk.end(), bank3.begin() + 440));
  const auto cleared = restored.Memory().Region("TBENZ").subspan(1);
  EXPECT_EQ(Bytes(cleared.begin(), cleared.end()), Bytes(120, 0));
  const auto original = fresh.Memory().Region("TBENZ").subspan(1);
  EXPECT_NE(Bytes(original.begin(), original.end()), Bytes(120, 0));
  // Nothing but the state file is left in the folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

TEST_F(StateFileTest, DamagedOrMissingStateKeepsTheDefaults) {
  EcuModel fresh(SimSetup{});
  EcuModel ecu(SimSetup{});
  EXPECT_FALSE(LoadState(dir.File("none"), ecu.Memory()));

  std::ofstream(path, std::ios::binary)
      << "[BANK1]\r\n00FF\r\n[COMPANION]\r\nZZ\r\n[BLK2]\r\n[TGAS]\r\n"
      << "[UNKNOWN]\r\n0011\r\n\xFF\xFE\r\n[COLL]\r\n"
      << std::string(32, 'A') << "\r\n[TISTO]";
  ASSERT_TRUE(LoadState(path, ecu.Memory()));
  for (const auto& [name, bytes] : fresh.Memory().Regions()) {
    const auto got = ecu.Memory().Region(name);
    if (name == "COLL") {
      EXPECT_EQ(Bytes(got.begin(), got.end()), Bytes(16, 0xAA));
    } else {
      EXPECT_EQ(Bytes(got.begin(), got.end()), bytes) << name;
    }
  }
}

}  // namespace
}  // namespace velmora::sim
