#include "maps/value_entry.h"

#include <gtest/gtest.h>

#include "core/files.h"
#include "tests/core/temp_dir.h"

namespace velmora::maps {
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
  dlg.SistemaSoglie(soglie::kMappa);
  EXPECT_EQ(dlg.Opzione(), opzione::kSomma);

  dlg.SelezionaOpzione(opzione::kImposta);
  Esito e = dlg.Conferma("256");
  EXPECT_FALSE(e.accettato);
  EXPECT_EQ(e.messaggio, dlg.Texts().above_max + " 255");
  EXPECT_FALSE(dlg.Fatto());

  dlg.SelezionaOpzione(opzione::kPercentuale);
  e = dlg.Conferma("-51");
  EXPECT_EQ(e.messaggio, dlg.Texts().below_min + " -50");
  // The limits are inclusive.
  e = dlg.Conferma("-50");
  EXPECT_TRUE(e.accettato);
  EXPECT_TRUE(dlg.Fatto());
  EXPECT_EQ(dlg.Result().operazione, operazione::kPercentuale);
  EXPECT_FLOAT_EQ(dlg.Result().valore, -50.0f);

  // Each option is checked against its own pair of limits.
  dlg.Riarma();
  dlg.SelezionaOpzione(opzione::kSomma);
  EXPECT_EQ(dlg.Conferma("100.5").messaggio, dlg.Texts().above_max + " 100");
  dlg.SelezionaOpzione(opzione::kImposta);
  EXPECT_EQ(dlg.Conferma("-1").messaggio, dlg.Texts().below_min + " 0");
  EXPECT_FALSE(dlg.Fatto());
}

TEST(ValueEntry, NumbersTakeEitherSeparatorAndAnythingElseIsRefused) {
  FrmEnterValue dlg;
  dlg.SistemaSoglie(10, -10, 5, -5, 255, 0);
  for (const char* bad : {"", "   ", "-", ",", "1,2,3", "1.2.3", "2-3", "12a", "--1", "1e3"}) {
    const Esito e = dlg.Conferma(bad);
    EXPECT_FALSE(e.accettato) << bad;
    EXPECT_EQ(e.messaggio, dlg.Texts().not_a_number) << bad;
  }
  EXPECT_FALSE(dlg.Fatto());
  // A refused entry leaves the load-time result alone.
  EXPECT_EQ(dlg.Result().operazione, operazione::kImposta);
  EXPECT_FLOAT_EQ(dlg.Result().valore, 0.0f);

  ASSERT_TRUE(dlg.Conferma("2,5").accettato);
  EXPECT_EQ(dlg.Result().operazione, operazione::kSomma);
  EXPECT_FLOAT_EQ(dlg.Result().valore, 2.5f);
  dlg.Riarma();
  ASSERT_TRUE(dlg.Conferma("-2.25").accettato);
  EXPECT_FLOAT_EQ(dlg.Result().valore, -2.25f);
  dlg.Riarma();
  ASSERT_TRUE(dlg.Conferma(".5").accettato);
  EXPECT_FLOAT_EQ(dlg.Result().valore, 0.5f);
  // Far beyond any limit is a limit message, not an overflow.
  EXPECT_EQ(dlg.Conferma("99999999999999999999999999999999999999999").messaggio,
            dlg.Texts().above_max + " 10");
}

TEST(ValueEntry, CancelLoadAndOptionRules) {
  FrmEnterValue dlg;
  // Load: "set" with value 0, text "0", first option selected.
  EXPECT_EQ(dlg.Result().operazione, operazione::kImposta);
  EXPECT_EQ(dlg.TestoIniziale(), "0");
  EXPECT_EQ(dlg.Opzione(), opzione::kSomma);

  dlg.SistemaSoglie(soglie::kLambda);
  dlg.SelezionaOpzione(opzione::kImposta);
  ASSERT_TRUE(dlg.Conferma("-127").accettato);
  // The grid preselects the option that gave its last operation.
  EXPECT_EQ(OpzioneDiOperazione(dlg.Result().operazione), opzione::kImposta);

  dlg.Riarma();
  dlg.Annulla();
  EXPECT_TRUE(dlg.Fatto());
  EXPECT_EQ(dlg.Result().operazione, operazione::kAnnullata);
  EXPECT_FLOAT_EQ(dlg.Result().valore, 0.0f);
  EXPECT_EQ(OpzioneDiOperazione(operazione::kAnnullata), std::nullopt);

  // Out-of-range option indexes change nothing; new limits reselect "add".
  dlg.SelezionaOpzione(opzione::kPercentuale);
  dlg.SelezionaOpzione(3);
  dlg.SelezionaOpzione(-1);
  EXPECT_EQ(dlg.Opzione(), opzione::kPercentuale);
  dlg.SistemaSoglie(soglie::kIniezioneDiretta);
  EXPECT_EQ(dlg.Opzione(), opzione::kSomma);
  EXPECT_EQ(dlg.LimiteDi(opzione::kImposta).max, 150);

  for (char32_t ok : {U'0', U'9', U',', U'.', U'-', char32_t{8}}) {
    EXPECT_TRUE(FrmEnterValue::TastoAmmesso(ok));
  }
  for (char32_t no : {U'a', U'+', U'e', U' ', U'/', char32_t{13}, char32_t{0x00e8}}) {
    EXPECT_FALSE(FrmEnterValue::TastoAmmesso(no));
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
  EXPECT_EQ(t.options[opzione::kSomma], "it5");
  EXPECT_EQ(t.options[opzione::kImposta], "it7");
  EXPECT_EQ(t.hint, "it10");

  FrmEnterValue dlg;
  dlg.SetTexts(t);
  dlg.SistemaSoglie(soglie::kMappa);
  dlg.SelezionaOpzione(opzione::kImposta);
  EXPECT_EQ(dlg.Conferma("256").messaggio, "it3 255");

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
}  // namespace velmora::maps
