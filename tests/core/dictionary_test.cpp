#include <gtest/gtest.h>

#include <fstream>

#include "core/dictionary.h"
#include "core/files.h"
#include "tests/core/temp_dir.h"

namespace velmora::core {
namespace {

class DictionaryTest : public ::testing::Test {
 protected:
  // Writes the dictionary (lines joined with CR LF, no final line end) and
  // optionally the choice file, then loads.
  ClsLingue& Load(const std::vector<std::string>& lines, const char* choice = nullptr) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      text += lines[i];
      if (i + 1 < lines.size()) {
        text += "\r\n";
      }
    }
    EXPECT_TRUE(WriteFileAtomic(dir_.File("diz.diz"), text));
    if (choice != nullptr) {
      EXPECT_TRUE(WriteFileAtomic(dir_.File("diz.con"), choice));
    }
    lingue_.SetPathDizionario(dir_.File("diz.diz"));
    lingue_.SetPathAttualeLingua(dir_.File("diz.con"));
    lingue_.LoadDizionario();
    return lingue_;
  }
  std::string ChoiceFile() {
    std::string s;
    EXPECT_TRUE(ReadWholeFile(dir_.File("diz.con"), s));
    return s;
  }

  test::TempDir dir_;
  ClsLingue lingue_;
};

TEST_F(DictionaryTest, HeadersCharsetsAndNumbering) {
  auto& d = Load({"###", "#English&0", "Title", "[Frm_Matrix]", "Map", "", "After blank",
                  "VELTRANO", "Last", "###", "#Italiano&", "Titolo", "[Frm_Matrix]", "Mappa"},
                 "1\r\n");
  EXPECT_EQ(d.UboundLingue(), 1);
  EXPECT_EQ(d.CharsetLingua(0), 0);
  EXPECT_EQ(d.CharsetLingua(1), 1);  // nothing after "&"
  EXPECT_EQ(d.NomeLingua(0), "English");
  EXPECT_EQ(d.NomeLingua(1), "Italiano");
  EXPECT_EQ(d.NomeLingua(2), "");
  // Empty lines and "VELTRANO" are not entries: the next text takes the number.
  EXPECT_EQ(d.VoceDizionario(0, 3), "After blank");
  EXPECT_EQ(d.VoceDizionario(0, 4), "Last");
  EXPECT_EQ(d.UboundVoci(), 4);
  EXPECT_EQ(d.UboundVociLingua(1), 2);
  EXPECT_EQ(d.UboundVociLingua(5), -1);
  EXPECT_EQ(d.VoceDizionario(1, 2), "Mappa");
  // Out of range reads are empty; no other language is consulted.
  EXPECT_EQ(d.VoceDizionario(1, 3), "");
  EXPECT_EQ(d.VoceDizionario(-1, 0), "");
  EXPECT_EQ(d.VoceDizionario(2, 0), "");
  EXPECT_EQ(d.VoceDizionario(0, -1), "");
  EXPECT_EQ(d.IdLingua(), 1);
  EXPECT_EQ(d.Testo(d.MarkerOffset("[Frm_Matrix]"), 1), "Mappa");
}

TEST_F(DictionaryTest, LanguageStartNearTheEndAndDoubleStart) {
  // "###" on the last or second-to-last line ends the reading.
  auto& d = Load({"###", "#A&1", "a0", "###", "#B&1"}, "0");
  EXPECT_EQ(d.UboundLingue(), 0);
  EXPECT_EQ(d.UboundVoci(), 0);
  Load({"###", "#A&1", "a0", "###"}, "0");
  EXPECT_EQ(lingue_.UboundLingue(), 0);
  // Two "###" in a row: the second is the header of a language named "###".
  Load({"###", "###", "x", "y"}, "0");
  EXPECT_EQ(lingue_.UboundLingue(), 0);
  EXPECT_EQ(lingue_.NomeLingua(0), "##");
  EXPECT_EQ(lingue_.VoceDizionario(0, 0), "x");
  // Text before the first language belongs to none.
  Load({"stray", "###", "A", "a0"}, "0");
  EXPECT_EQ(lingue_.VoceDizionario(0, 0), "a0");
  EXPECT_EQ(lingue_.NomeLingua(0), "");  // a name without "#" gives an empty name
  EXPECT_EQ(lingue_.CharsetLingua(0), 1);
}

TEST_F(DictionaryTest, ChoiceFileRewrittenCreatedOrMissingNumber) {
  Load({"###", "#A&0", "a", "###", "#B&0", "b", "###", "#C&0", "c"}, "junk\r\n5\r\n");
  EXPECT_EQ(lingue_.IdLingua(), 0);  // 5 is beyond the last language
  EXPECT_EQ(ChoiceFile(), "0\r\n");

  Load({"###", "#A&0", "a"}, "no number\r\n");
  EXPECT_EQ(lingue_.IdLingua(), -1);

  // A missing choice file is created next to the dictionary holding -1.
  std::remove(dir_.File("diz.con").c_str());
  ClsLingue fresh;
  fresh.SetPathDizionario(dir_.File("diz.diz"));
  fresh.SetPathAttualeLingua(dir_.File("elsewhere.con"));
  fresh.LoadDizionario();
  EXPECT_EQ(fresh.PathAttualeLingua(), dir_.File("diz.con"));
  EXPECT_EQ(fresh.IdLingua(), -1);
  EXPECT_EQ(ChoiceFile(), "-1\r\n");
  ChooseLanguage(fresh, 0, "Velmora Workstation");
  EXPECT_EQ(fresh.IdLingua(), 0);
  EXPECT_EQ(fresh.VoceDizionario(0, 0), "Velmora Workstation");
  EXPECT_EQ(ChoiceFile(), "0\r\n");
}

TEST_F(DictionaryTest, MissingDictionaryLeavesOneEmptyLanguage) {
  ClsLingue d;
  d.SetPathDizionario(dir_.File("none.diz"));
  d.SetPathAttualeLingua(dir_.File("none.con"));
  d.LoadDizionario();
  EXPECT_EQ(d.UboundLingue(), -1);
  EXPECT_EQ(d.VoceDizionario(0, 0), "");
  EXPECT_EQ(d.MarkerOffset("[Frm_Firmware]"), 0);
  EXPECT_EQ(d.Testo(0, 8), "");
}

TEST_F(DictionaryTest, MarkerOffsetsAreTakenFromLanguageZero) {
  std::vector<std::string> lines{"###", "#English&0"};
  for (int i = 0; i < 130; ++i) {
    lines.push_back(i == 120 ? "[Frm_Firmware]" : "en" + std::to_string(i));
  }
  lines.push_back("###");
  lines.push_back("#Italiano&0");
  for (int i = 0; i < 130; ++i) {
    lines.push_back(i == 120 ? "[Frm_Firmware]" : "it" + std::to_string(i));
  }
  Load(lines, "1");
  const int offset = lingue_.MarkerOffset("[Frm_Firmware]");
  EXPECT_EQ(offset, 120);
  EXPECT_EQ(lingue_.Testo(offset, 8), "it128");
  EXPECT_EQ(lingue_.MarkerOffset("[Frm_Nothing]"), 0);
}

TEST_F(DictionaryTest, SaveKeepsPositionsWithBlankMarkerAndReloads) {
  Load({"###", "#English&238", "Title", "One", "###", "#Deutsch&0", "Titel", "Eins"}, "0");
  lingue_.SetVoceDizionario(0, 4, "Four");  // grows the list; entries 2 and 3 stay empty
  lingue_.SetVoceDizionario(7, 0, "ignored");
  lingue_.SetVoceDizionario(-1, 0, "ignored");
  ASSERT_TRUE(lingue_.SaveDizionario());
  std::string saved;
  ASSERT_TRUE(ReadWholeFile(dir_.File("diz.diz"), saved));
  EXPECT_NE(saved.find("_BLANK_\r\n_BLANK_\r\nFour"), std::string::npos);

  ClsLingue again;
  again.SetPathDizionario(dir_.File("diz.diz"));
  again.SetPathAttualeLingua(dir_.File("diz.con"));
  again.LoadDizionario();
  EXPECT_EQ(again.VoceDizionario(0, 2), "_BLANK_");
  EXPECT_EQ(again.VoceDizionario(0, 4), "Four");
  EXPECT_EQ(again.CharsetLingua(0), 238);
  EXPECT_EQ(again.NomeLingua(1), "Deutsch");

  // Saving only rewrites an existing file.
  ClsLingue nowhere;
  nowhere.SetPathDizionario(dir_.File("absent.diz"));
  EXPECT_FALSE(nowhere.SaveDizionario());
  EXPECT_FALSE(EsisteFile(dir_.File("absent.diz")));
}

TEST_F(DictionaryTest, TextInMemoryReadsAsTheFileDoes) {
  const std::vector<std::string> lines = {"VELTRANO", "###", "#English&238", "Title", "",
                                          "One",      "###", "#Deutsch",     "Titel"};
  Load(lines, "x\r\n1\r\n");
  ClsLingue memory;
  memory.ParseDizionario(JoinCrLf(lines));
  EXPECT_EQ(memory.DictionaryText(), lingue_.DictionaryText());
  EXPECT_EQ(memory.UboundLingue(), 1);
  EXPECT_EQ(ParseLanguageChoice(ChoiceFile()), lingue_.IdLingua());
  EXPECT_EQ(ParseLanguageChoice("none\r\n"), -1);
}

TEST_F(DictionaryTest, EditingOperations) {
  Load({"###", "#A&0", "a0", "a1", "a2", "###", "#B&0", "b0", "b1", "b2", "###", "#C&0", "c0"},
       "0");
  lingue_.EliminaVoce(1);
  EXPECT_EQ(lingue_.VoceDizionario(0, 1), "a2");
  EXPECT_EQ(lingue_.VoceDizionario(0, 2), "");
  EXPECT_EQ(lingue_.UboundVoci(), 2);  // the list keeps its length
  lingue_.NuovaVoce(0, "new");
  EXPECT_EQ(lingue_.VoceDizionario(1, 0), "new");
  EXPECT_EQ(lingue_.VoceDizionario(1, 1), "b0");
  lingue_.EliminaLingua(1);
  EXPECT_EQ(lingue_.UboundLingue(), 1);
  EXPECT_EQ(lingue_.NomeLingua(1), "C");
  lingue_.NuovaLingua("#C");  // exists already
  EXPECT_EQ(lingue_.UboundLingue(), 1);
  lingue_.NuovaLingua("#D");
  EXPECT_EQ(lingue_.UboundLingue(), 2);
  EXPECT_EQ(lingue_.NomeLingua(2), "D");
  EXPECT_EQ(lingue_.UboundVociLingua(2), 0);
  lingue_.EliminaLingua(9);  // out of range: nothing happens
  EXPECT_EQ(lingue_.UboundLingue(), 2);
}

}  // namespace
}  // namespace velmora::core
