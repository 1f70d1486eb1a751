#include "diag/frm_mappetta.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/files.h"
#include "tests/pages/page_fakes.h"

namespace velmora::diag {
namespace {

using pages::test::PageRig;
using session::WriteRecord;
namespace request = session::request;

struct MapWindow {
  MapWindow() : page(rig.env) {}
  PageRig rig;
  FrmMappetta page;
};

// A whole "[TRisult]" record with cell (r, c) = r - c.
Bytes Record() {
  Bytes frame = {0x42, 0x01, 0x7D, 0x20, 0x00, 0x0F};
  for (int r = 0; r < obd_map::kRows; ++r) {
    for (int c = 0; c < obd_map::kCols; ++c) {
      frame.push_back(static_cast<std::uint8_t>(r - c));
    }
  }
  frame.push_back(0);
  return frame;
}

TEST(FrmMappetta, MapCellAndLiveValues) {
  MapWindow w;
  w.rig.image.tuning.trisult = Record();
  auto& t = w.rig.table;
  t.SetLastAnswer(1, Bytes(126, 0));
  t.SetValue(1, 32, 2600);  // rpm: row 5
  t.SetValue(1, 7, 4800);   // petrol times of the running cylinders, us
  t.SetValue(1, 8, 5400);   // mean 5.1 ms: column 2
  w.page.LiveTick();
  EXPECT_EQ(w.rig.session.posted, (std::vector<int>{request::kReadTuningTables}));
  EXPECT_EQ(w.page.Grid().Text(1, 1), "0");
  EXPECT_EQ(w.page.Grid().Text(1, 8), "-7");
  EXPECT_EQ(w.page.Grid().Text(15, 1), "14");
  EXPECT_EQ(w.page.Grid().Text(2, 0), "500");
  ASSERT_TRUE(w.page.Cell());
  EXPECT_EQ(*w.page.Cell(), (MapCell{5, 2}));
  EXPECT_EQ(w.page.Grid().Current(), (maps::CellPos{6, 3}));
  t.SetValue(1, 32, 9000);  // beyond the last row
  w.page.LiveTick();
  EXPECT_EQ(*w.page.Cell(), (MapCell{14, 2}));
  const std::string copy = w.page.CopyText();
  EXPECT_EQ(copy.substr(0, copy.find('\n')), "0\t-1\t-2\t-3\t-4\t-5\t-6\t-7");
}

TEST(FrmMappetta, FifteenLimitsInOneList) {
  MapWindow w;
  for (int r = 0; r < obd_map::kRows; ++r) {
    w.page.SetLimitText(r, std::to_string(5 * (r + 1)));
  }
  w.page.WriteLimits();
  w.page.ChooseAgent(1);
  w.rig.session.pending = request::kReadErrors;
  w.page.AggiornamentoMappetta();  // waits while a request is pending
  EXPECT_TRUE(w.page.WritesPending());
  w.rig.session.Done();
  w.page.AggiornamentoMappetta();
  EXPECT_EQ(w.rig.session.posted, (std::vector<int>{request::kEntry14List}));
  const auto& list = w.rig.session.lists.Of(14);
  ASSERT_EQ(list.size(), 16u);
  for (int r = 0; r < obd_map::kRows; ++r) {
    EXPECT_EQ(list[static_cast<std::size_t>(r)].value, 5 * (r + 1));
    EXPECT_EQ(list[static_cast<std::size_t>(r)].field, 30 + r);
  }
  EXPECT_EQ(list.back().value, 2);  // the agent's number
  EXPECT_EQ(list.back().field, 1);
  // A row that is not a limit keeps the ECU's value; the page says so.
  w.rig.session.Done();
  w.rig.session.lists.ClearAll();
  w.page.SetLimitText(3, "300");
  w.page.WriteLimits();
  w.page.AggiornamentoMappetta();
  EXPECT_EQ(w.rig.session.lists.Of(14).size(), 14u);
  EXPECT_FALSE(w.page.Notice().empty());
}

TEST(FrmMappetta, FileButtonsUnderTheHold) {
  MapWindow w;
  auto& s = w.rig.session;
  const std::string saved = w.rig.root.File("map.tun");
  // Save: written at once, the file named in the caption; nothing posted
  // and the hold released.
  w.rig.image.tuning.trisult = Record();
  w.rig.window.chosen_files.push_back(saved);
  w.page.SaveMap();
  w.page.HandleFileButtons();
  EXPECT_EQ(s.posted, (std::vector<int>{request::kFileDialogHold}));
  EXPECT_EQ(s.pending, request::kNone);
  EXPECT_NE(w.page.Caption().find(" - [map.tun] "), std::string::npos);
  std::string text;
  ASSERT_TRUE(core::ReadWholeFile(saved, text));
  EXPECT_NE(text.find("[TRisult]\r\n42017D20000F"), std::string::npos);
  EXPECT_EQ(w.rig.window.file_choices.back().filter, "Map Files (*.tun;*.xsi)|*.tun;*.xsi");
  // Open: a missing file and a cancelled dialog post nothing; a file that
  // is there becomes request 38.
  for (const std::string& answer : {std::string(), w.rig.root.File("missing.tun"), saved}) {
    w.rig.window.chosen_files.push_back(answer);
    w.page.OpenMap();
    w.page.HandleFileButtons();
  }
  EXPECT_EQ(s.posted.back(), request::kTuningResultFromFile);
  EXPECT_EQ(s.files, (std::vector<std::string>{saved}));
  s.Done();
  w.page.ResetMap();
  w.page.HandleFileButtons();
  EXPECT_EQ(s.posted.back(), request::kResetGasTables);
  // A record that is not whole is not saved.
  s.Done();
  w.rig.image.tuning.trisult.resize(40);
  w.rig.window.chosen_files.push_back(w.rig.root.File("short.tun"));
  w.page.SaveMap();
  w.page.HandleFileButtons();
  EXPECT_EQ(w.rig.box.shown.size(), 1u);
  EXPECT_FALSE(core::EsisteFile(w.rig.root.File("short.tun")));
}

}  // namespace
}  // namespace velmora::diag
