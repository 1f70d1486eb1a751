#include "pages/value_entry.h"

#include <gtest/gtest.h>

#include "core/files.h"
#include "tests/core/temp_dir.h"

namespace velmora::pages {
namespace {

// A two-language dictionary whose value-entry block sits after another
// window's block, so that texts are found through the marker.
std::string Dictionary() {
  auto block = [](const std::string& name, const std::string& p) {
    std::string s = "###\r\n" + name + "\r\nTitle\r\n[Frm_Other]\r\nx\r\ny\r\n[Frm_EnterValue]\r\n";
    for (int k = 1; k <= 10; ++k) {
      s += p + std::to_string(k) + "\r\n";
    }
    return s;
  };
  return block("#English&0", "en") + block("#Italiano&0", "it");
}

TEST(ValueEntry, MapGridLimitsGiveTheMessagesWithTheLimit) {
  FrmEnterValue dlg;
  dlg.SistemaSoglie(grid_limits::kMap);
  EXPECT_EQ(dlg.Option(), value_option::kAdd);

  dlg.SelectOption(value_option::kSet);
  Verdict e = dlg.Confirm("256");
  EXPECT_FALSE(e.accepted);
  EXPECT_EQ(e.message, dlg.Texts().above_max + " 255");
  EXPECT_FALSE(dlg.Done());

  dlg.SelectOption(value_option::kPercent);
  e = dlg.Confirm("-51");
  EXPECT_EQ(e.message, dlg.Texts().below_min + " -50");
  // The limits are inclusive.
  e = dlg.Confirm("-50");
  EXPECT_TRUE(e.accepted);
  EXPECT_TRUE(dlg.Done());
  EXPECT_EQ(dlg.Result().operation, value_op::kPercent);
  EXPECT_FLOAT_EQ(dlg.Result().value, -50.0f);

  // Each option is checked against its own pair of limits.
  dlg.Rearm();
  dlg.SelectOption(value_option::kAdd);
  EXPECT_EQ(dlg.Confirm("100.5").message, dlg.Texts().above_max + " 100");
  dlg.SelectOption(value_option::kSet);
  EXPECT_EQ(dlg.Confirm("-1").message, dlg.Texts().below_min + " 0");
  EXPECT_FALSE(dlg.Done());
}

TEST(ValueEntry, NumbersTakeEitherSeparatorAndAnythingElseIsRefused) {
  FrmEnterValue dlg;
  dlg.SistemaSoglie(10, -10, 5, -5, 255, 0);
  for (const char* bad : {"", "   ", "-", ",", "1,2,3", "1.2.3", "2-3", "12a", "--1", "1e3"}) {
    const Verdict e = dlg.Confirm(bad);
    EXPECT_FALSE(e.accepted) << bad;
    EXPECT_EQ(e.message, dlg.Texts().not_a_number) << bad;
  }
  EXPECT_FALSE(dlg.Done());
  // A refused entry leaves the load-time result alone.
  EXPECT_EQ(dlg.Result().operation, value_op::kSet);
  EXPECT_FLOAT_EQ(dlg.Result().value, 0.0f);

  ASSERT_TRUE(dlg.Confirm("2,5").accepted);
  EXPECT_EQ(dlg.Result().operation, value_op::kAdd);
  EXPECT_FLOAT_EQ(dlg.Result().value, 2.5f);
  dlg.Rearm();
  ASSERT_TRUE(dlg.Confirm("-2.25").accepted);
  EXPECT_FLOAT_EQ(dlg.Result().value, -2.25f);
  dlg.Rearm();
  ASSERT_TRUE(dlg.Confirm(".5").accepted);
  EXPECT_FLOAT_EQ(dlg.Result().value, 0.5f);
  // Far beyond any limit is a limit message, not an overflow.
  EXPECT_EQ(dlg.Confirm("99999999999999999999999999999999999999999").message,
            dlg.Texts().above_max + " 10");
}

TEST(ValueEntry, CancelLoadAndOptionRules) {
  FrmEnterValue dlg;
  // Load: "set" with value 0, text "0", first option selected.
  EXPECT_EQ(dlg.Result().operation, value_op::kSet);
  EXPECT_EQ(dlg.InitialText(), "0");
  EXPECT_EQ(dlg.Option(), value_option::kAdd);

  dlg.SistemaSoglie(grid_limits::kLambda);
  dlg.SelectOption(value_option::kSet);
  ASSERT_TRUE(dlg.Confirm("-127").accepted);
  // The grid preselects the option that gave its last operation.
  EXPECT_EQ(OptionOfOperation(dlg.Result().operation), value_option::kSet);

  dlg.Rearm();
  dlg.Cancel();
  EXPECT_TRUE(dlg.Done());
  EXPECT_EQ(dlg.Result().operation, value_op::kCancelled);
  EXPECT_FLOAT_EQ(dlg.Result().value, 0.0f);
  EXPECT_EQ(OptionOfOperation(value_op::kCancelled), std::nullopt);

  // Out-of-range option indexes change nothing; new limits reselect "add".
  dlg.SelectOption(value_option::kPercent);
  dlg.SelectOption(3);
  dlg.SelectOption(-1);
  EXPECT_EQ(dlg.Option(), value_option::kPercent);
  dlg.SistemaSoglie(grid_limits::kDirectInjection);
  EXPECT_EQ(dlg.Option(), value_option::kAdd);
  EXPECT_EQ(dlg.LimitOf(value_option::kSet).max, 150);

  for (char32_t ok : {U'0', U'9', U',', U'.', U'-', char32_t{8}}) {
    EXPECT_TRUE(FrmEnterValue::KeyAllowed(ok));
  }
  for (char32_t no : {U'a', U'+', U'e', U' ', U'/', char32_t{13}, char32_t{0x00e8}}) {
    EXPECT_FALSE(FrmEnterValue::KeyAllowed(no));
  }
  EXPECT_EQ(FormatLimit(255), "255");
  EXPECT_EQ(FormatLimit(-50), "-50");
  EXPECT_EQ(FormatLimit(2.5), "2.5");
}

TEST(ValueEntry, TextsComeFromTheChosenLanguageAfterTheMarker) {
  test::TempDir dir;
  ASSERT_TRUE(core::WriteFileAtomic(dir.File("diz.diz"), Dictionary()));
  ASSERT_TRUE(core::WriteFileAtomic(dir.File("diz.con"), "1\r\n"));
  core::ClsLingue lingue;
  lingue.SetPathDizionario(dir.File("diz.diz"));
  lingue.SetPathAttualeLingua(dir.File("diz.con"));
  lingue.LoadDizionario();

  // The caption is text 1, never the marker, followed by the version.
  const EnterValueTexts t = LoadEnterValueTexts(lingue, " 1.0.0");
  EXPECT_EQ(t.caption, "it1 1.0.0");
  EXPECT_EQ(t.not_a_number, "it2");
  EXPECT_EQ(t.above_max, "it3");
  EXPECT_EQ(t.below_min, "it4");
  EXPECT_EQ(t.options[value_option::kAdd], "it5");
  EXPECT_EQ(t.options[value_option::kSet], "it7");
  EXPECT_EQ(t.hint, "it10");

  FrmEnterValue dlg;
  dlg.SetTexts(t);
  dlg.SistemaSoglie(grid_limits::kMap);
  dlg.SelectOption(value_option::kSet);
  EXPECT_EQ(dlg.Confirm("256").message, "it3 255");

  // Without the block the built-in texts stay.
  ASSERT_TRUE(core::WriteFileAtomic(dir.File("diz.diz"), "###\r\n#English&0\r\nTitle\r\n"));
  core::ClsLingue bare;
  bare.SetPathDizionario(dir.File("diz.diz"));
  bare.SetPathAttualeLingua(dir.File("diz.con"));
  bare.LoadDizionario();
  const EnterValueTexts d = LoadEnterValueTexts(bare, " v");
  EXPECT_EQ(d.caption, EnterValueTexts{}.caption + " v");
  EXPECT_EQ(d.above_max, EnterValueTexts{}.above_max);
}

}  // namespace
}  // namespace velmora::pages
