// The page registry: navigation rows from a page table, pages sharing a row,
// the row's choice of page, and the session's calls reaching the models.
#include "pages/page_registry.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace velmora::pages {
namespace {

// What the test's page models are made with: a log of the hooks reaching
// them, and the page a shared row opens.
struct Env {
  std::vector<std::string> log;
  int opens = 0;
};

class LoggingModel final : public PageModel {
 public:
  LoggingModel(Env& env, int code) : env_(env), tag_(std::to_string(code) + ":") {}
  void Shown() override { env_.log.push_back(tag_ + "shown"); }
  void LiveTick() override { env_.log.push_back(tag_ + "tick"); }
  void Refresh() override { env_.log.push_back(tag_ + "refresh"); }
  void SetEnabled(bool enable) override { enabled_ = enable; }
  [[nodiscard]] bool Enabled() const override { return enabled_; }
  void CalibrationRead() override { env_.log.push_back(tag_ + "read"); }
  void MapWritten(int map, bool ok) override {
    env_.log.push_back(tag_ + "map" + std::to_string(map) + (ok ? "ok" : "failed"));
  }
  [[nodiscard]] int RowOpens(int own) const override { return env_.opens != 0 ? env_.opens : own; }

 private:
  Env& env_;
  std::string tag_;
  bool enabled_ = true;
};

std::unique_ptr<PageModel> Logging(Env& env, int code) {
  return std::make_unique<LoggingModel>(env, code);
}

std::unique_ptr<PageModel> Plain(Env& /*env*/, int /*code*/) {
  return std::make_unique<PageModel>();
}

// The view factory's type does not matter to the registry.
using Line = PageEntry<Env, int>;

// Two pages of their own, a map page whose second view shares its row, a
// line for a code already listed, and a page sharing the row of a code that
// has none.
const std::array<Line, 6> kTable = {{
    {{24, "dashboard", kOwnRow, {"[Frm_Generale]", 30, "ECU status"}, "F2"}, Plain, 0},
    {{12, "map-grid", kOwnRow, {"[Frm_Matrix]", 26, "Map 1"}, "F5"}, Logging, 0},
    {{27, "carburation", 12, {}, {}}, Logging, 0},
    {{24, "again", kOwnRow, {}, "F9"}, Logging, 0},
    {{40, "orphan", 99, {}, {}}, Logging, 0},
    {{7, "obd", kOwnRow, {"[Frm_Obd]", 1, "OBD"}, "Ctrl+O"}, nullptr, 0},
}};

TEST(PageRegistry, RowsComeFromTheTableAndSharedRowsOpenThePageTheirModelChooses) {
  Env env;
  PageRegistry registry(InfosOf<Env, int>(kTable));
  ASSERT_EQ(registry.Size(), 5u);  // the second line of code 24 is left out
  EXPECT_EQ(registry.Info(1).name, "map-grid");
  EXPECT_EQ(registry.IndexOf(24), 0);
  EXPECT_EQ(registry.IndexOf(99), -1);

  ASSERT_EQ(registry.RowCount(), 3u);
  EXPECT_EQ(registry.RowInfo(1).shortcut, "F5");
  EXPECT_EQ(registry.RowInfo(2).code, 7);
  EXPECT_EQ(registry.RowOf(24), 0);
  EXPECT_EQ(registry.RowOf(12), 1);
  EXPECT_EQ(registry.RowOf(27), 1);
  EXPECT_EQ(registry.RowOf(40), -1);
  EXPECT_EQ(registry.RowOf(99), -1);

  // Before the models exist a row opens its own page.
  EXPECT_EQ(registry.RowOpens(1), 12);
  registry.MakeModels<Env, int>(kTable, env);
  EXPECT_EQ(registry.Model(7), nullptr);  // a line without a model factory
  EXPECT_EQ(registry.RowOpens(1), 12);
  env.opens = 27;
  EXPECT_EQ(registry.RowOpens(1), 27);
  // A row opens only a page of its own.
  env.opens = 40;
  EXPECT_EQ(registry.RowOpens(1), 12);
  EXPECT_EQ(registry.RowOpens(0), 24);
  EXPECT_EQ(registry.RowOpens(3), -1);
}

TEST(PageRegistry, SessionCallsReachThePageInFrontOrEveryPage) {
  Env env;
  PageRegistry registry(InfosOf<Env, int>(kTable));
  EXPECT_FALSE(registry.Shown(12));  // no models yet
  registry.MakeModels<Env, int>(kTable, env);

  EXPECT_TRUE(registry.Shown(12));
  EXPECT_TRUE(registry.LiveTick(27));
  EXPECT_TRUE(registry.Refresh(40));
  EXPECT_FALSE(registry.Refresh(7));
  EXPECT_FALSE(registry.LiveTick(99));
  EXPECT_TRUE(registry.Shown(24));  // a page with the do-nothing hooks
  EXPECT_EQ(env.log, (std::vector<std::string>{"12:shown", "27:tick", "40:refresh"}));

  env.log.clear();
  registry.CalibrationRead();
  registry.MapWritten(1, false);
  EXPECT_EQ(env.log, (std::vector<std::string>{"12:read", "27:read", "40:read", "12:map1failed",
                                               "27:map1failed", "40:map1failed"}));
  registry.SetEnabled(false);
  EXPECT_FALSE(registry.Model(12)->Enabled());
  EXPECT_TRUE(registry.Model(24)->Enabled());  // not a working page
}

}  // namespace
}  // namespace velmora::pages
