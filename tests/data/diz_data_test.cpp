// Checks the shipped language dictionary as the program reads it: every
// window finds its block, every combo box finds its list, and an entry number
// means the same text in every language.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/dictionary.h"
#include "core/files.h"
#include "core/text.h"
#include "tests/core/temp_dir.h"

namespace velmora::core {
namespace {

namespace fs = std::filesystem;

constexpr int kLanguages = 2;
// The error page reads this entry by its number, not through a marker.
constexpr int kEraseRefusedEntry = 42;
constexpr std::size_t kMaxCatalogue = 32;
// Errors 20 and 24 are the injector errors: the catalogue must reach them.
constexpr std::size_t kMinCatalogue = 25;
constexpr int kCaptionBlock = 10;

// A window marker and the entries its window reads, marker included.
struct WindowBlock {
  std::string_view marker;
  int min_size;
};
constexpr WindowBlock kWindowBlocks[] = {
    {"[Frm_Generale]", 42},
    {"[Frm_Matrix]", 65},
    {"[Frm_Assi]", 71},
    {"[Frm_EnterValue]", 8},
    {"[Frm_AutoTuning]", 48},
    {"[FrmSeqInj]", 23},
    {"[Frm_Firmware]", 32},
    {"[Frm_ConfLambda]", 37},
    {"[FrmService]", 10},
    {"[FrmErrEcu]", 6},
    {"[FrmSalvaAprifile]", kCaptionBlock},
    {"[FrmMisc]", kCaptionBlock},
    {"[Frm_SelAlim]", kCaptionBlock},
    {"[FrmCompensaTbl]", kCaptionBlock},
    {"[FrmLevel]", kCaptionBlock},
    {"[Frm_Config]", kCaptionBlock},
    {"[Frm_Logger]", kCaptionBlock},
    {"[Frm_MapObd]", kCaptionBlock},
    {"[Frm_Tuning]", kCaptionBlock},
    {"[Start_InjDir]", kCaptionBlock},
    {"[Frm_Param]", kCaptionBlock},
    {"[Frm_InjSet]", kCaptionBlock},
    {"[Frm_Retta]", kCaptionBlock},
    {"[Frm_Wizard]", kCaptionBlock},
    {"[Frm_Dashboard]", 24},
    {"[Frm_Main]", 14},
    {"[Frm_Aiuto]", 9},
};

enum class Items {
  kNumbers,          // every item starts with the number it stands for
  kSignedNumbers,    // the same, written to a signed byte: negatives must be offered
  kWordThenNumbers,  // item 0 is a word (off, no minimum, always), the rest numbers
  kNames,            // list positions only; the items are names
};

// A key, the lines after it, and the range the ECU word can hold for
// number x factor of every numbered item.
struct KeyList {
  std::string_view key;
  int lines;
  Items items;
  double factor;
  double lo;
  double hi;
};
constexpr double kUb = 255;
constexpr double kUw = 65535;
constexpr KeyList kKeyLists[] = {
    {"[MOLTIPLICATORE]", 2, Items::kNumbers, 1, 1, kUb},
    {"[SECONDAINJ]", 1, Items::kNumbers, 1, 0, kUb},
    {"[PhaseShifter]", 2, Items::kNumbers, 1, 0, kUb},
    {"[Pressione Compensazione]", 1, Items::kNumbers, 1, 0, kUw},
    {"[Rpm di commutazione]", 1, Items::kNumbers, 1, 3, 8000},
    {"[Isteresi rpm decelerazione]", 1, Items::kNumbers, 1, 0, kUw},
    {"[Temperatura di commutazione]", 1, Items::kNumbers, 1, 0, kUb},
    {"[defCicliRpm]", 1, Items::kNumbers, 1, 1, kUb},
    {"[Forza commutazione s]", 1, Items::kWordThenNumbers, 1000, 0, kUw},
    {"[Tempo di sovrapposizione ms]", 1, Items::kNumbers, 1, 0, kUw},
    {"[Ritardo commutazione singoli inj ms]", 1, Items::kNumbers, 1, 0, kUw},
    {"[Num Bobine]", 1, Items::kNumbers, 1, 1, 8},
    {"[Tempo AutoCalda s]", 1, Items::kNumbers, 1, 0, kUw},
    {"[Sensibilita RPM]", 1, Items::kNumbers, 1, 0, kUb},
    {"[Ritardo attivazione Emulaz s]", 1, Items::kNumbers, 1000, 0, kUw},
    {"[Filtro lambda]", 1, Items::kNumbers, 1, 1, 15},
    {"[Pressione di fine gas bar]", 1, Items::kNumbers, 1000, 0, kUw},
    {"[Tempo di fine gas ms]", 1, Items::kNumbers, 1000, 0, kUw},
    {"[Tipo sensore pressione]", 1, Items::kNames, 1, 0, 0},
    {"[CmbMinTempGas]", 1, Items::kWordThenNumbers, 1, -32768, 32767},
    {"[CmbDeltaMinTempGas]", 1, Items::kNumbers, 1, 0, kUw},
    {"[RPMperMaxPower]", 1, Items::kNumbers, 1.0 / 100, 1, kUb},
    {"[RPMperMinPowerUPTH]", 1, Items::kNumbers, 1.0 / 50, 1, kUb},
    {"[RPMperMinPower]", 1, Items::kNumbers, 1.0 / 50, 1, kUb},
    {"[cmbTempoInjBen]", 1, Items::kNumbers, 1000.0 / 256, 0, kUb},
    {"[CmbNumIniettateRientro]", 1, Items::kNumbers, 1, 1, kUb},
    {"[CONTRIBUTO]", 1, Items::kNumbers, 1000.0 / 32, 0, kUb},
    {"[TMORTOINJ]", 1, Items::kNumbers, 1000.0 / 32, 0, kUb},
    {"[Piedistallo Tempo Inj minimo us]", 1, Items::kNumbers, 1000.0 / 8, 0, kUw},
    {"[DECONTRIBUTOFACTOR]", 1, Items::kNumbers, 1, 0, kUw},
    {"[CmbPeriodAcq]", 1, Items::kNumbers, 1, 0, kUw},
    {"[CmbMaxValCorr]", 1, Items::kNumbers, 1, 0, kUb},
    {"[CmbMiDiff]", 1, Items::kNumbers, 1, 0, kUb},
    {"[CmbSogliaVac]", 1, Items::kNumbers, 1, 0, kUw},
    {"[CmbTarget]", 1, Items::kSignedNumbers, 1, -128, 127},
    {"[CmbClosedLoopDelay]", 1, Items::kNumbers, 1000, 0, kUw},
    {"[CmbOreAdat]", 1, Items::kWordThenNumbers, 1, 1, kUw - 1},
    {"[CmbTempAdat]", 1, Items::kNumbers, 1, -128, 127},
    {"[CmbSOH_RPM_ADAT]", 1, Items::kNumbers, 1, 0, kUw},
    {"[CmbService]", 1, Items::kWordThenNumbers, 1, 1, 32767},
    {"[CmbServiceLOW]", 1, Items::kWordThenNumbers, 1, 1, 32767},
};

constexpr std::string_view kCatalogueOpen = "[ERROR_ECU_max_255]";
constexpr std::string_view kCatalogueClose = "[END_ERROR_ECU]";
constexpr std::string_view kBlank = "_BLANK_";

// Every entry the program looks up by its text.
std::set<std::string, std::less<>> AllMarkers() {
  std::set<std::string, std::less<>> all;
  for (const auto& b : kWindowBlocks) {
    all.emplace(b.marker);
  }
  for (const auto& k : kKeyLists) {
    all.emplace(k.key);
  }
  all.emplace(kCatalogueOpen);
  all.emplace(kCatalogueClose);
  return all;
}

// The number an item shows: its leading "-digits[.digits]" (either decimal
// separator), as text so that both languages can be compared exactly.
std::optional<std::string> LeadingNumber(std::string_view item) {
  item = Trim(item);
  std::size_t i = 0;
  if (i < item.size() && item[i] == '-') {
    ++i;
  }
  const std::size_t digits_from = i;
  while (i < item.size() && item[i] >= '0' && item[i] <= '9') {
    ++i;
  }
  if (i == digits_from) {
    return std::nullopt;
  }
  if (i + 1 < item.size() && (item[i] == '.' || item[i] == ',') && item[i + 1] >= '0' &&
      item[i + 1] <= '9') {
    ++i;
    while (i < item.size() && item[i] >= '0' && item[i] <= '9') {
      ++i;
    }
  }
  return std::string(item.substr(0, i));
}

std::optional<double> NumberValue(const std::string& text) {
  std::string dotted = text;
  std::replace(dotted.begin(), dotted.end(), ',', '.');
  return ParseDecimal(dotted, '.');
}

bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t extra = 0;
    if (c < 0x80) {
      extra = 0;
    } else if ((c & 0xE0) == 0xC0 && c >= 0xC2) {
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
    } else if ((c & 0xF8) == 0xF0 && c <= 0xF4) {
      extra = 3;
    } else {
      return false;
    }
    if (i + extra >= s.size()) {
      return false;
    }
    for (std::size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
        return false;
      }
    }
    i += extra + 1;
  }
  return true;
}

fs::path StagedDictionary() {
  const char* stage = std::getenv("VELMORA_STAGE");
  return stage == nullptr ? fs::path() : fs::path(stage) / "lng" / "diz.diz";
}

class DizDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path staged = StagedDictionary();
    ASSERT_FALSE(staged.empty()) << "VELMORA_STAGE is not set";
    ASSERT_TRUE(fs::exists(staged)) << staged;
    // Loading writes the language choice file next to the dictionary.
    std::error_code ec;
    fs::copy_file(staged, dir_.File("diz.diz"), ec);
    ASSERT_FALSE(ec) << ec.message();
    lingue_.SetPathDizionario(dir_.File("diz.diz"));
    lingue_.SetPathAttualeLingua(dir_.File("diz.con"));
    lingue_.LoadDizionario();
    for (int l = 0; l <= lingue_.UboundLingue(); ++l) {
      std::vector<std::string> voci;
      for (int v = 0; v <= lingue_.UboundVociLingua(l); ++v) {
        voci.push_back(lingue_.VoceDizionario(l, v));
      }
      entries_.push_back(std::move(voci));
    }
    ASSERT_EQ(static_cast<int>(entries_.size()), kLanguages);
  }

  // Index of the only entry equal to `text` in language `l`; nullopt when it
  // is missing or appears more than once.
  [[nodiscard]] std::optional<int> UniqueIndex(int l, std::string_view text) const {
    const auto& voci = entries_[static_cast<std::size_t>(l)];
    std::optional<int> found;
    for (std::size_t i = 0; i < voci.size(); ++i) {
      if (voci[i] == text) {
        if (found) {
          return std::nullopt;
        }
        found = static_cast<int>(i);
      }
    }
    return found;
  }

  [[nodiscard]] const std::string& Entry(int l, int i) const {
    return entries_[static_cast<std::size_t>(l)][static_cast<std::size_t>(i)];
  }
  [[nodiscard]] int Count(int l) const {
    return static_cast<int>(entries_[static_cast<std::size_t>(l)].size());
  }

  test::TempDir dir_;
  ClsLingue lingue_;
  std::vector<std::vector<std::string>> entries_;
};

TEST(DizDataFile, IsPlainCrLfTextWithCleanLanguageBreaks) {
  const fs::path staged = StagedDictionary();
  ASSERT_FALSE(staged.empty()) << "VELMORA_STAGE is not set";
  std::string raw;
  ASSERT_TRUE(ReadWholeFile(staged.string(), raw)) << staged;
  EXPECT_TRUE(IsValidUtf8(raw));

  std::vector<std::string> lines = SplitCrLf(raw);
  ASSERT_GE(lines.size(), 4u);
  // The staged file ends with CR LF, which leaves one empty text after it.
  if (lines.back().empty()) {
    lines.pop_back();
  }
  EXPECT_EQ(lines.front(), "###");
  EXPECT_NE(lines[lines.size() - 1], "###");
  EXPECT_NE(lines[lines.size() - 2], "###");
  int starts = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    // An empty or skipped line would shift every later entry of its language.
    EXPECT_FALSE(line.empty()) << "empty line " << i + 1;
    EXPECT_NE(line, "VELTRANO") << "line " << i + 1;
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray line break, line " << i + 1;
    EXPECT_EQ(Trim(line), std::string_view(line)) << "blanks around line " << i + 1;
    if (line == "###") {
      ++starts;
      ASSERT_LT(i + 1, lines.size());
      EXPECT_NE(lines[i + 1].find('&'), std::string::npos) << "header without character set";
    }
  }
  EXPECT_EQ(starts, kLanguages);
}

TEST_F(DizDataTest, LanguagesLineUpEntryForEntry) {
  ASSERT_EQ(lingue_.UboundLingue(), kLanguages - 1);
  for (int l = 0; l < kLanguages; ++l) {
    EXPECT_FALSE(lingue_.NomeLingua(l).empty()) << "language " << l;
    EXPECT_EQ(Count(l), Count(0)) << "language " << l;
  }
  const auto markers = AllMarkers();
  for (int l = 0; l < kLanguages; ++l) {
    ASSERT_GT(Count(l), kEraseRefusedEntry);
    const std::string& refused = Entry(l, kEraseRefusedEntry);
    EXPECT_FALSE(refused.empty());
    EXPECT_NE(refused, kBlank);
    EXPECT_EQ(markers.count(refused), 0u) << refused;
  }
  // Windows look their markers up in language 0 and read the chosen
  // language at the same place; keys are looked up in the chosen language.
  for (const auto& m : markers) {
    const auto at0 = UniqueIndex(0, m);
    ASSERT_TRUE(at0.has_value()) << m << " missing or repeated";
    EXPECT_EQ(lingue_.MarkerOffset(m), *at0) << m;
    for (int l = 1; l < kLanguages; ++l) {
      EXPECT_EQ(UniqueIndex(l, m), at0) << m << " in language " << l;
    }
  }
}

TEST_F(DizDataTest, WindowBlocksHoldTheirNumberedTexts) {
  const auto markers = AllMarkers();
  for (int l = 0; l < kLanguages; ++l) {
    std::vector<int> marker_positions;
    for (int i = 0; i < Count(l); ++i) {
      const std::string& t = Entry(l, i);
      EXPECT_FALSE(t.empty()) << "entry " << i;
      if (markers.count(t) != 0) {
        marker_positions.push_back(i);
      } else if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
        ADD_FAILURE() << "entry " << i << " looks like an unknown marker: " << t;
      }
    }
    for (const auto& b : kWindowBlocks) {
      const auto at = UniqueIndex(l, b.marker);
      ASSERT_TRUE(at.has_value()) << b.marker;
      const auto next = std::upper_bound(marker_positions.begin(), marker_positions.end(), *at);
      const int end = next == marker_positions.end() ? Count(l) : *next;
      EXPECT_GE(end - *at, b.min_size) << b.marker << " in language " << l;
      for (int k = 1; k < b.min_size && *at + k < end; ++k) {
        EXPECT_NE(Entry(l, *at + k), kBlank) << b.marker << " text " << k;
      }
    }
  }
}

// The numbered items of a list, as the ECU word they are written to.
void ExpectItemsFit(const KeyList& k, const std::vector<std::string>& items) {
  bool any_negative = false;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const auto number = LeadingNumber(items[i]);
    if (i == 0 && k.items == Items::kWordThenNumbers) {
      EXPECT_FALSE(number.has_value()) << "item 0 stands for a special value: " << items[i];
      continue;
    }
    ASSERT_TRUE(number.has_value()) << items[i];
    const auto value = NumberValue(*number);
    ASSERT_TRUE(value.has_value()) << *number;
    EXPECT_GE(*value * k.factor, k.lo) << items[i];
    EXPECT_LE(*value * k.factor, k.hi) << items[i];
    any_negative = any_negative || *value < 0;
  }
  if (k.items == Items::kSignedNumbers) {
    EXPECT_TRUE(any_negative) << "a signed list offers no negative item";
  }
}

TEST_F(DizDataTest, KeyListsCarryUsableItems) {
  for (const auto& k : kKeyLists) {
    SCOPED_TRACE(std::string(k.key));
    // Items per line, per language; the numbers must agree between languages.
    std::vector<std::vector<std::vector<std::string>>> lines(kLanguages);
    for (int l = 0; l < kLanguages; ++l) {
      const auto at = UniqueIndex(l, k.key);
      ASSERT_TRUE(at.has_value());
      ASSERT_LT(*at + k.lines, Count(l));
      for (int n = 1; n <= k.lines; ++n) {
        const std::string& line = Entry(l, *at + n);
        EXPECT_NE(line, kBlank);
        lines[l].push_back(Split(line, '|'));
        for (const auto& item : lines[l].back()) {
          EXPECT_FALSE(Trim(item).empty()) << "empty item in " << line;
        }
        ASSERT_EQ(lines[l].back().size(), lines[0][n - 1].size()) << "line " << n;
        for (std::size_t i = 0; i < lines[0][n - 1].size(); ++i) {
          EXPECT_EQ(LeadingNumber(lines[l].back()[i]), LeadingNumber(lines[0][n - 1][i]));
        }
      }
    }
    EXPECT_GE(lines[0][0].size(), k.key == "[PhaseShifter]" ? 2u : 3u);
    if (k.items != Items::kNames) {
      ExpectItemsFit(k, lines[0][0]);
    }
  }
}

TEST_F(DizDataTest, ValueListsAndTheirCompanions) {
  for (int l = 0; l < kLanguages; ++l) {
    const int mult = *UniqueIndex(l, "[MOLTIPLICATORE]");
    const auto values = Split(Entry(l, mult + 1), '|');
    for (const auto& v : values) {
      EXPECT_TRUE(ParseInt32(v).has_value()) << v;
    }
    EXPECT_EQ(Split(Entry(l, mult + 2), '|').size(), values.size());
    for (const auto& v : Split(Entry(l, *UniqueIndex(l, "[SECONDAINJ]") + 1), '|')) {
      EXPECT_TRUE(ParseInt32(v).has_value()) << v;
    }
    EXPECT_TRUE(ParseInt32(Entry(l, *UniqueIndex(l, "[PhaseShifter]") + 2)).has_value());
    // The filter list follows its "no filter" text: 16 choices fill a nibble.
    EXPECT_LE(Split(Entry(l, *UniqueIndex(l, "[Filtro lambda]") + 1), '|').size(), 15u);
  }
}

TEST_F(DizDataTest, ErrorCatalogueParses) {
  for (int l = 0; l < kLanguages; ++l) {
    const auto open = UniqueIndex(l, kCatalogueOpen);
    const auto close = UniqueIndex(l, kCatalogueClose);
    ASSERT_TRUE(open.has_value());
    ASSERT_TRUE(close.has_value());
    ASSERT_LT(*open, *close);
    const auto count = static_cast<std::size_t>(*close - *open - 1);
    EXPECT_LE(count, kMaxCatalogue);
    EXPECT_GE(count, kMinCatalogue);
    std::set<std::string> names;
    for (int i = *open + 1; i < *close; ++i) {
      const std::string& e = Entry(l, i);
      const auto q = e.find('?');
      ASSERT_NE(q, std::string::npos) << e;
      const std::string name(Trim(std::string_view(e).substr(0, q)));
      EXPECT_FALSE(name.empty()) << e;
      EXPECT_TRUE(names.insert(name).second) << "repeated name " << name;
      const auto texts = Split(std::string_view(e).substr(q + 1), '|');
      ASSERT_EQ(texts.size(), 3u) << e;
      for (const auto& t : texts) {
        EXPECT_FALSE(Trim(t).empty()) << e;
        EXPECT_EQ(t.find('?'), std::string::npos) << e;
      }
    }
  }
}

}  // namespace
}  // namespace velmora::core
