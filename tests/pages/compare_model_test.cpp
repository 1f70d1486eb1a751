// The comparison page's model on the shipped reference calibration: an
// archive file against the image, the map's change, and parts copied into
// the image and through the session.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "calib/calibration_import.h"
#include "core/hex.h"
#include "pages/compare_model.h"
#include "tests/pages/page_fakes.h"

namespace velmora::pages {
namespace {

namespace request = session::request;

std::string Stage() {
  const char* stage = std::getenv("VELMORA_STAGE");
  return stage != nullptr ? stage : ".";
}

class FixedDate final : public calib::DateProvider {
 public:
  calib::CalendarDate Today() override { return {1, 2, 2024}; }
};

// The line after `key`, its data byte `index` set to `value` and the check
// byte worked out again.
void ChangeByte(std::vector<std::string>& lines, std::string_view key, std::size_t index,
                std::uint8_t value) {
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i] == key) {
      Bytes frame = *core::HexToBin(lines[i + 1]);
      frame[5 + index] = value;
      frame.back() = 0;
      for (std::size_t k = 0; k + 1 < frame.size(); ++k) {
        frame.back() ^= frame[k];
      }
      lines[i + 1] = core::BinToHex(frame);
    }
  }
}

struct CompareRig {
  CompareRig() {
    std::vector<std::string> set_com;
    EXPECT_TRUE(core::LeggiRighe(Stage() + "/bin/SetCom.ini", set_com));
    rig.table = link::MessageTable(core::LeggiSetCom(set_com).messages);
    const std::string reference = Stage() + "/lng/00 Direct Inj Custom.xsi";
    calib::CalibrationEnv env{rig.table, rig.image, rig.box, dates, {}};
    EXPECT_TRUE(calib::OpenCalibrationFile(env, reference));
    // The archive's copy: block 3 field 2 and the first cell of map 0 differ.
    std::vector<std::string> lines;
    EXPECT_TRUE(core::LeggiRighe(reference, lines));
    ChangeByte(lines, "[BLK_3]", 2, 99);
    ChangeByte(lines, "[MAP_0]", 0, 7);
    std::filesystem::create_directories(rig.paths.data_dir);
    EXPECT_TRUE(core::WriteFileAtomic(rig.paths.data_dir + "A_B_4_X.qvd", core::JoinCrLf(lines)));
    model.Shown();
  }
  // The row of the part titled `title`, -1 for none.
  int Row(std::string_view title) const {
    const auto rows = model.Rows();
    for (std::size_t r = 0; r < rows.size(); ++r) {
      if (rows[r][0] == title) {
        return static_cast<int>(r);
      }
    }
    return -1;
  }

  test::PageRig rig;
  FixedDate dates;
  CompareModel model{rig.env};
};

TEST(CompareModel, ShowsTheArchiveAgainstTheEcuAndTheMapsChange) {
  CompareRig c;
  EXPECT_EQ(c.model.SourceItems(),
            (std::vector<std::string>{"ECU", "A_B_4_X.qvd", "Other file..."}));
  EXPECT_EQ(c.model.Side(0), 1);
  EXPECT_EQ(c.model.Side(1), 0);
  EXPECT_EQ(c.model.Status(), "2 differences");
  ASSERT_EQ(c.model.Rows().size(), 2u);
  EXPECT_EQ(c.model.Lines()[0], "3.2 switch-over coolant temperature: 99 \u2192 " +
                                    std::to_string(c.rig.table.Value(3, 2)));
  const auto change = c.model.MapChange();
  EXPECT_EQ(change[0], c.rig.image.base_map[0] - 7);
  EXPECT_EQ(std::count(change.begin(), change.end(), 0), 551);
  EXPECT_TRUE(c.model.IsOtherFileItem(2));

  c.model.ChooseSide(0, 0);  // the image against itself
  EXPECT_EQ(c.model.Status(), c.model.Texts().equal);
  c.model.ChooseFile(1, c.rig.paths.root + "/missing.xsi");
  EXPECT_EQ(c.model.Status(), c.model.Texts().unreadable);
}

TEST(CompareModel, CopiesThroughTheSessionWhileConnectedAndIntoTheImageOtherwise) {
  CompareRig c;
  c.model.SelectRow(c.Row("map 0"));
  ASSERT_TRUE(c.model.CanCopy());
  c.model.CopySelected();
  EXPECT_EQ(c.rig.image.base_map[0], 7);
  EXPECT_EQ(c.rig.session.posted, (std::vector<int>{request::kWriteBank1}));
  EXPECT_FALSE(c.model.CanCopy());  // until the write has ended
  c.rig.session.Done();
  c.model.LiveTick();
  EXPECT_EQ(c.model.Rows().size(), 1u);

  c.model.SelectRow(c.Row("[BLK_3]"));
  c.model.CopySelected();
  EXPECT_EQ(c.rig.session.posted.back(), request::kEntry3List);
  const auto& records = c.rig.session.lists.Of(3);
  const bool field2 = std::any_of(records.begin(), records.end(), [](const auto& r) {
    return r.field == 2 && r.value == 99 && r.mode == 0;
  });
  EXPECT_TRUE(field2);
  EXPECT_NE(c.rig.table.Value(3, 2), 99);  // the ECU's answer will say

  c.rig.session.Done();
  c.rig.session.state = core::session_state::kDisconnected;
  c.model.CopySelected();
  EXPECT_EQ(c.rig.table.Value(3, 2), 99);
  EXPECT_EQ(c.rig.session.posted.size(), 2u);
  EXPECT_TRUE(c.model.Diff().Equal());
  EXPECT_EQ(c.model.CopyText(), c.model.Texts().copy_to_image);
}

}  // namespace
}  // namespace velmora::pages
