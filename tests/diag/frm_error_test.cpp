#include "diag/frm_error.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/diag/write_record_eq.h"
#include "tests/pages/page_fakes.h"

namespace velmora::diag {
namespace {

using pages::test::PageRig;
using pages::test::TestDictionary;
using session::WriteRecord;

// A dictionary whose entry 42 is the erase refusal, with the service lists
// and `catalogue` between markers (`reversed`: the markers swapped).
std::string Body(const std::vector<std::string>& catalogue, bool reversed = false) {
  std::string body;
  for (int entry = 1; entry < error_text::kEraseRefusedEntry; ++entry) {
    body += "text " + std::to_string(entry) + "\r\n";
  }
  body += "Not now\r\n[CmbService]\r\nOFF|100 h|500 h\r\n[CmbServiceLOW]\r\nOFF|25 h\r\n";
  body += reversed ? "[END_ERROR_ECU]\r\n" : "[ERROR_ECU_max_255]\r\n";
  for (const std::string& e : catalogue) {
    body += e + "\r\n";
  }
  return body + (reversed ? "[ERROR_ECU_max_255]\r\n" : "[END_ERROR_ECU]\r\n");
}

std::vector<std::string> Errors(int count) {
  std::vector<std::string> c;
  for (int n = 0; n < count; ++n) {
    c.push_back("E" + std::to_string(n) + "?ok|bad|worse");
  }
  return c;
}

// The page over a rig whose dictionary is `body`.
struct ErrorPage {
  explicit ErrorPage(const std::string& body) : dictionary(body) {
    env = std::make_unique<pages::PageEnv>(
        pages::PageEnv{rig.image, rig.table, rig.session, rig.window, rig.box, rig.clock,
                       dictionary.lingue, rig.paths, rig.requests, nullptr, "Velmora"});
    page = std::make_unique<FrmError>(*env);
  }
  std::vector<WriteRecord> List(std::size_t entry) { return rig.session.lists.Of(entry); }
  PageRig rig;
  TestDictionary dictionary;
  std::unique_ptr<pages::PageEnv> env;
  std::unique_ptr<FrmError> page;
};

TEST(FrmError, CatalogueBecomesTheGrid) {
  ErrorPage three(Body({"Injector?OK|Open|Short", "Battery", "?a|b|c"}));
  const auto& rows = three.page->Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].label, "Err 00");
  EXPECT_EQ(rows[2].label, "Err 02");
  EXPECT_EQ(rows[1].entry, (CatalogueEntry{"Battery", {"", "", ""}}));
  EXPECT_TRUE(rows[2].Hidden());
  EXPECT_TRUE(three.rig.requests.Find(session::request::kReadErrors));
  EXPECT_TRUE(three.rig.requests.Find(session::request::kEraseErrors));
  // Reversed markers name no error; a longer catalogue stops at the memory.
  EXPECT_TRUE(ErrorPage(Body(Errors(3), true)).page->Rows().empty());
  EXPECT_EQ(ErrorPage(Body(Errors(40))).page->Rows().size(), kMaxErrors);
}

TEST(FrmError, StatesFromTheErrorMemory) {
  ErrorPage p(Body(Errors(25)));
  auto& table = p.rig.table;
  table.SetLastAnswer(4, Bytes(70, 1));
  table.SetValue(4, 1, 2);
  table.SetValue(4, 20, 3);
  table.SetValue(4, 52, 9);
  table.SetValue(4, 24 + 32, 8);
  p.page->VisualizzaErrori();
  const auto& rows = p.page->Rows();
  EXPECT_EQ(rows[1].current, "worse");
  EXPECT_EQ(rows[20].current, "bad Inj 3");
  EXPECT_EQ(rows[20].stored, "ok");
  EXPECT_EQ(rows[24].stored, "bad Inj 8");
  EXPECT_EQ(rows[0].current, "ok");
}

TEST(FrmError, EnableBoxesWriteOneWord) {
  ErrorPage p(Body(Errors(3)));
  p.page->LiveTick();  // the 2-second read first
  p.rig.session.Done();
  p.page->ClickGrid(2, error_column::kSecondAction);  // word 0 -> 3
  EXPECT_EQ(p.page->PendingEditRow(), 2);
  p.page->LiveTick();
  EXPECT_EQ(p.rig.session.posted.back(), session::request::kEntry15List);
  EXPECT_EQ(p.List(15), (std::vector<WriteRecord>{{3, 16, 0}}));
  p.rig.session.Done();
  p.rig.session.lists.ClearAll();
  p.rig.table.SetValue(15, 16, 3);
  p.page->ClickGrid(2, error_column::kMonitored);  // word 3 -> 0
  p.page->LiveTick();
  EXPECT_EQ(p.List(15), (std::vector<WriteRecord>{{0, 16, 0}}));
  // Any other cell drops the edit.
  p.page->ClickGrid(2, error_column::kName);
  EXPECT_EQ(p.page->PendingEditRow(), -1);
}

TEST(FrmError, CountersAndService) {
  ErrorPage p(Body(Errors(3)));
  auto& table = p.rig.table;
  table.SetValue(2, 3, 12);
  table.SetValue(2, 10, 5);
  table.SetValue(2, 9, 0);
  p.page->AggiornaVisualizzazioni();
  EXPECT_EQ(p.page->Counters().gas, " 12.05");
  EXPECT_EQ(p.page->Counters().to_service, " - - ");
  table.SetValue(2, 9, 100);
  table.SetValue(2, 7, 103);
  table.SetValue(2, 10, 20);
  p.page->AggiornaVisualizzazioni();
  EXPECT_EQ(p.page->Counters().to_service, " - 3.20");
  EXPECT_TRUE(p.page->Counters().overdue);
  EXPECT_EQ(p.page->Service(false).index, 1);

  p.page->ChooseService(false, 2);  // 500 h
  EXPECT_EQ(p.List(2), (std::vector<WriteRecord>{{33268, 9, 0}}));
  p.page->ResetGasCounter();  // dropped: 27 is pending
  EXPECT_EQ(p.List(2).size(), 1u);
  p.rig.session.Done();
  p.rig.session.lists.ClearAll();
  // An interval that already carries the restart bit keeps it, unwrapped.
  table.SetValue(2, 9, 0x8000 | 100);
  p.page->RestartService();
  EXPECT_EQ(p.List(2), (std::vector<WriteRecord>{{0x8064, 9, 0}}));
}

TEST(FrmError, EraseOnlyWhenTheEcuAllowsItAndReadEveryTwoSeconds) {
  ErrorPage p(Body(Errors(3)));
  auto& s = p.rig.session;
  p.page->Erase();
  p.page->LiveTick();  // the read goes first; the erase waits
  EXPECT_EQ(s.posted, (std::vector<int>{22}));
  s.Done();
  p.page->LiveTick();
  ASSERT_EQ(p.rig.box.shown.size(), 1u);
  EXPECT_EQ(p.rig.box.shown[0].text, "Not now");
  EXPECT_EQ(p.rig.box.shown[0].kind, platform::BoxKind::Critical);
  p.rig.table.SetValue(1, 38, 0x81);
  p.page->Erase();
  p.page->LiveTick();
  p.rig.clock.now += 1'900'000;
  s.Done();
  p.page->LiveTick();
  p.rig.clock.now += 200'000;
  p.page->LiveTick();
  EXPECT_EQ(s.posted, (std::vector<int>{22, 4, 22}));
}

}  // namespace
}  // namespace velmora::diag
