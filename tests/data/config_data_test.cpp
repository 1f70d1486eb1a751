// Checks the configuration files shipped in the installation tree, as staged
// by the build: they read without warnings and hold together (field lists
// tile the answers their entries document, frames carry their check bytes,
// every key the program reads is there, values fit the fields they go to).
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

#include "core/config_scale.h"
#include "core/files.h"
#include "core/hex.h"
#include "core/set_com.h"
#include "core/text.h"
#include "link/ecu_frame.h"
#include "link/ecu_identity.h"

namespace velmora::core {
namespace {

namespace fs = std::filesystem;

std::string EnvDir(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr ? std::string(v) : std::string();
}

std::vector<std::string> StagedLines(const std::string& rel) {
  std::vector<std::string> lines;
  EXPECT_TRUE(LeggiRighe(EnvDir("VELMORA_STAGE") + "/" + rel, lines)) << rel << " is not staged";
  return lines;
}

// What every "[MSG]" documents on its fifth and sixth lines:
// "ANSWER_LEN=68 L=0x42 N=62" (N data bytes) and "WRITE_CMD=0x10" or
// "WRITE_CMD=none". Written entries are encoded field after field.
struct EntryDoc {
  int data_bytes = -1;
  bool written = false;
};

std::vector<EntryDoc> EntryDocs(const std::vector<std::string>& lines) {
  std::vector<EntryDoc> docs;
  for (std::size_t i = 0; i + 6 < lines.size(); ++i) {
    if (Trim(lines[i]) == "[MSG]") {
      const std::string& size = lines[i + 5];
      const auto n = size.rfind("N=");
      docs.push_back({n == std::string::npos ? -1 : ParseInt32(size.substr(n + 2)).value_or(-1),
                      Trim(lines[i + 6]) != "WRITE_CMD=none"});
    }
  }
  return docs;
}

// Answer frames: 42 01 L cmd result data... check, so data byte k is frame
// byte 5 + k; byte and word fields count their position from 1, SL from 0.
constexpr int kFrameHeader = 5;

struct FieldSpan {
  int first_data_byte;
  int width;
};

std::optional<FieldSpan> SpanOf(const FieldSpec& f) {
  if (f.type == "UB" || f.type == "SB") {
    return FieldSpan{f.position - 1 - kFrameHeader, 1};
  }
  if (f.type == "UW" || f.type == "SW") {
    return FieldSpan{f.position - 1 - kFrameHeader, 2};
  }
  if (f.type == "SL") {
    return FieldSpan{f.position - kFrameHeader, 4};
  }
  return std::nullopt;
}

// A request frame 41 02 L cmd data... check with L = data + 3.
::testing::AssertionResult IsRequestFrame(const std::string& hex) {
  const auto b = HexToBin(hex);
  if (!b || b->size() < 5 || (*b)[0] != 0x41 || (*b)[1] != 0x02 || (*b)[2] != b->size() - 2) {
    return ::testing::AssertionFailure() << "\"" << hex << "\" is not a request frame";
  }
  if (link::CheckXor(*b) != 0) {
    return ::testing::AssertionFailure() << "\"" << hex << "\" has a wrong check byte";
  }
  return ::testing::AssertionSuccess();
}

void ExpectFieldsTile(const MessageEntry& e, const EntryDoc& doc) {
  int next = 0;
  int extent = 0;
  for (std::size_t k = 0; k < e.fields.size(); ++k) {
    SCOPED_TRACE("field " + std::to_string(k));
    const FieldSpec& f = e.fields[k];
    const auto span = SpanOf(f);
    ASSERT_TRUE(span) << "type \"" << f.type << "\"";
    EXPECT_NE(f.multiplier, 0);
    EXPECT_GE(span->first_data_byte, 0);
    extent = std::max(extent, span->first_data_byte + span->width);
    if (doc.written) {
      // SL decodes word-swapped but encodes plain little-endian.
      EXPECT_NE(f.type, "SL");
      EXPECT_EQ(f.multiplier, 1);
      EXPECT_EQ(span->first_data_byte, next);
    }
    next = span->first_data_byte + span->width;
  }
  EXPECT_EQ(extent, doc.data_bytes);
}

TEST(SetComData, LinkTimingAllowsTheLongestEcuWait) {
  const auto cfg = LeggiSetCom(StagedLines("bin/SetCom.ini"));
  ASSERT_GT(cfg.global_wait_us, 0);
  ASSERT_GT(cfg.global_wait_multiplier, 0);
  const std::int64_t long_wait_usec =
      std::int64_t{cfg.global_wait_us} * std::int64_t{cfg.global_wait_multiplier};
  // The pipe must outwait the link's own longest wait, or a slow exchange
  // ends the program with a time-out.
  EXPECT_GT(cfg.pipe_wait_us, long_wait_usec);
  // The link receives the long wait in 16 bits of milliseconds.
  EXPECT_LE(long_wait_usec / 1000, 65535);
}

TEST(SetComData, FieldListsTileTheAnswersTheirEntriesDocument) {
  const auto lines = StagedLines("bin/SetCom.ini");
  const auto cfg = LeggiSetCom(lines);
  ASSERT_TRUE(cfg.warnings.empty()) << cfg.warnings.front();
  const std::vector<EntryDoc> docs = EntryDocs(lines);
  ASSERT_EQ(docs.size(), cfg.messages.size());
  for (std::size_t i = 0; i < cfg.messages.size(); ++i) {
    SCOPED_TRACE("entry " + std::to_string(i));
    const MessageEntry& e = cfg.messages[i];
    EXPECT_EQ(e.number, static_cast<std::int32_t>(i));
    EXPECT_FALSE(e.name.empty());
    EXPECT_TRUE(IsRequestFrame(e.request_hex));
    ASSERT_GT(docs[i].data_bytes, 0);
    ExpectFieldsTile(e, docs[i]);
  }
  // The highest field of each entry that the program addresses by number.
  const std::map<std::size_t, std::size_t> addressed = {
      {0, 61}, {1, 52}, {2, 11}, {3, 42}, {9, 31}, {11, 70}, {12, 42}, {14, 3}, {15, 90}};
  for (const auto& [entry, field] : addressed) {
    EXPECT_LT(field, cfg.messages.at(entry).fields.size()) << "entry " << entry;
  }
}

TEST(SetComData, FirmwareListsAndProfiles) {
  const auto cfg = LeggiSetCom(StagedLines("bin/SetCom.ini"));
  ASSERT_FALSE(cfg.firmware1.empty());
  for (const auto& f : cfg.firmware1) {
    SCOPED_TRACE(f.text2);
    EXPECT_FALSE(f.pattern.empty());
    EXPECT_TRUE(IsRequestFrame(f.text1));
    EXPECT_FALSE(f.text2.empty());
  }
  // A blank ECU must still be recognised, or no firmware could ever be
  // written to it. (Every hardware's identity: the end-to-end identify test.)
  EXPECT_TRUE(link::MatchIdentity(HexToBin("420104211472").value(), cfg.firmware1));
  // The port search uses every profile, a connection those from the second
  // on, so at least two are needed.
  ASSERT_GE(cfg.firmware2.size(), 2u);
  for (const auto& p : cfg.firmware2) {
    EXPECT_TRUE(p.text1.starts_with("//") && p.text1.size() > 2) << p.text1;
  }
  EXPECT_EQ(cfg.firmware_mod2017.size(), 86u);
}

// The value lines of every key, blank lines left out.
std::map<std::string, std::vector<std::string>> KeyBlocks(const std::vector<std::string>& lines) {
  std::map<std::string, std::vector<std::string>> blocks;
  std::vector<std::string>* cur = nullptr;
  for (const auto& l : lines) {
    const auto t = std::string(Trim(l));
    if (t.size() > 2 && t.front() == '[' && t.back() == ']') {
      cur = &blocks[t];
    } else if (cur != nullptr && !t.empty()) {
      cur->push_back(t);
    }
  }
  return blocks;
}

std::vector<std::int32_t> Ints(const std::string& line, char sep) {
  std::vector<std::int32_t> out;
  for (const auto& item : Split(line, sep)) {
    const auto n = ParseInt32(item);
    EXPECT_TRUE(n) << "\"" << item << "\" in \"" << line << "\"";
    out.push_back(n.value_or(0));
  }
  return out;
}

void ExpectSensorRecordsFit(const ConfigScale& cs) {
  ASSERT_FALSE(cs.injectors.empty());
  for (const auto& inj : cs.injectors) {
    SCOPED_TRACE(inj.name);
    EXPECT_FALSE(inj.name.empty());
    // Dead time in microseconds and minimum opening in 8-microsecond steps,
    // both written to 16-bit fields.
    EXPECT_GT(inj.params[0], 0);
    EXPECT_LE(inj.params[0], 65535);
    EXPECT_GT(inj.params[1], 0);
    EXPECT_LE(inj.params[1] / 8, 65535);
  }
  ASSERT_FALSE(cs.gas_levels.empty());
  for (const auto& g : cs.gas_levels) {
    SCOPED_TRACE(g.name);
    // Copied into one-byte fields of the switch-over record.
    for (const auto v : {g.first, g.last, g.curve.front(), g.curve.back()}) {
      EXPECT_GE(v, 0);
      EXPECT_LE(v, 255);
    }
    EXPECT_TRUE(std::is_sorted(g.curve.begin(), g.curve.end()));
  }
  ASSERT_FALSE(cs.lambdas.empty());
  std::set<int> ids;
  for (const auto& l : cs.lambdas) {
    SCOPED_TRACE(l.name);
    EXPECT_GE(l.id, 1);
    EXPECT_LE(l.id, 255);
    EXPECT_TRUE(ids.insert(l.id).second) << "duplicate identifier";
    for (std::size_t k = 2; k < 6; ++k) {
      EXPECT_GE(l.params[k], 0);
      EXPECT_LE(l.params[k], 4990);
    }
    EXPECT_GE(l.params[2], l.params[3]);  // high pre >= low pre
    EXPECT_GE(l.params[4], l.params[5]);  // high post >= low post
  }
  EXPECT_FALSE(cs.temp_sensors.empty());
}

TEST(ConfigScaleData, RecordsFitTheEcuFieldsAndEveryKeyIsThere) {
  const auto lines = StagedLines("lng/ConfigScale.ini");
  const auto cs = LeggiConfigScale(lines, '.');
  EXPECT_TRUE(cs.warnings.empty()) << cs.warnings.front();
  ASSERT_TRUE(cs.injection_time_sum_us.has_value());
  EXPECT_GT(*cs.injection_time_sum_us, 0.0);
  ExpectSensorRecordsFit(cs);
  ASSERT_FALSE(cs.tolerances.empty());
  for (const auto& t : cs.tolerances) {
    EXPECT_LE(t.values[0], t.values[2]);
    EXPECT_GT(t.values[1], 0);
  }
  ASSERT_FALSE(cs.ascii_codes_a.empty());
  EXPECT_EQ(cs.ascii_codes_a.size(), cs.ascii_codes_b.size());
  EXPECT_LT(cs.phase_shift_min, cs.phase_shift_max);
  EXPECT_LT(cs.emu_min, cs.emu_max);
  for (const auto& [a, b] : cs.custom_labels) {
    EXPECT_FALSE(a.empty());
    EXPECT_NE(b, "NUL");
  }

  // Keys read by the smoothing, compensation and direct-injection pages.
  const auto blocks = KeyBlocks(lines);
  for (const char* k : {"[K_Lambda]", "[K_Pressure]", "[K_Barre]"}) {
    ASSERT_EQ(blocks.count(k), 1u) << k;
    const auto v = ParseInt32(blocks.at(k).at(0)).value_or(0);
    EXPECT_GE(v, 1) << k;
    EXPECT_LE(v, 10) << k;
  }
  for (const char* k : {"[Moltiplicatore Scala Pressioni]", "[Moltiplicatore Correzione]"}) {
    ASSERT_EQ(blocks.count(k), 1u) << k;
    const auto v = Ints(blocks.at(k).at(0), '|');
    EXPECT_EQ(v.size(), 15u) << k;
    EXPECT_TRUE(std::all_of(v.begin(), v.end(), [](auto x) { return x > 0; })) << k;
  }
  ASSERT_EQ(blocks.count("[QVD_RPM]"), 1u);
  const auto rpm = Ints(blocks.at("[QVD_RPM]").at(0), '|');
  EXPECT_LE(rpm.size(), 24u);
  EXPECT_TRUE(std::is_sorted(rpm.begin(), rpm.end()));
  ASSERT_EQ(blocks.count("[QVD_MAP]"), 1u);
  EXPECT_GE(blocks.at("[QVD_MAP]").size(), 23u);
  for (const auto& l : blocks.at("[QVD_MAP]")) {
    EXPECT_EQ(Ints(l, '|').size(), 2u) << l;
  }
  EXPECT_EQ(blocks.count("[QVD_TAB_END]"), 1u);
}

// OsciList.ini: [Var], names, field of the live record, divisor, unit.
std::set<std::int32_t> LoggerVariables() {
  const auto list = StagedLines("lng/OsciList.ini");
  std::set<std::int32_t> vars;
  for (std::size_t i = 0; i + 4 < list.size(); ++i) {
    if (list[i] != "[Var]") {
      continue;
    }
    EXPECT_EQ(Split(list[i + 1], ',').size(), 2u) << list[i + 1];
    const auto id = ParseInt32(list[i + 2]).value_or(-1);
    EXPECT_NE(ParseInt32(list[i + 3]).value_or(0), 0) << list[i + 1];
    EXPECT_GE(id, 0);
    EXPECT_LT(id, 79) << "beyond the live record's fields";
    EXPECT_TRUE(vars.insert(id).second) << "duplicate id " << id;
  }
  return vars;
}

TEST(LoggerData, ChannelsShowListedVariables) {
  const std::set<std::int32_t> vars = LoggerVariables();
  const auto setup = StagedLines("lng/OsciSetUp.ini");
  std::int32_t channels = 0;
  for (std::size_t i = 0; i < setup.size(); ++i) {
    if (Trim(setup[i]) != "[Var]") {
      continue;
    }
    ASSERT_LT(i + 6, setup.size());
    EXPECT_EQ(ParseInt32(setup[i + 1]), channels++);
    EXPECT_EQ(vars.count(ParseInt32(setup[i + 2]).value_or(-1)), 1u) << "channel " << channels;
    EXPECT_EQ(Trim(setup[i + 3]), "-1");
    const auto offset = ParseInt32(setup[i + 5]);
    ASSERT_TRUE(offset && ParseInt32(setup[i + 4]) && ParseInt32(setup[i + 6]));
    EXPECT_GE(*offset, 0);
    EXPECT_LE(*offset, 98);
  }
  EXPECT_GT(channels, 0);
}

// Every key the auto-tuning procedure reads from ParaTun.txt.
constexpr std::string_view kTuningKeys =
    "Temp taratura|Rpm minimi|Attesa minimo ms|Num Campioni minimo|Freq Campioni minimo ms|"
    "Attiva tutti i Cil|Rpm Massimo|DeltaVisualizzazioneRPMMax|Attesa massimo ms|"
    "Num Campioni massimo|Freq Campioni massimo ms|Prima attesa ms|Attesa corr inj ms|"
    "Num Campioni corr inj|Freq Campioni corr inj ms|Cicli in tolleranza inj|"
    "Max cicli non in tolleranza inj|Tolleranza in correzione inj %|Step di Correzione inj %|"
    "Massima correzione inj us|Rpm ritorno minimo|Attesa ritorno minimo ms|"
    "Attesa corr minimo ms|Num Campioni corr minimo|Freq Campioni corr minimo ms|"
    "Cicli in tolleranza minimo|Max cicli non in tolleranza minimo|"
    "Tolleranza in correzine minimo %|Step di Correzione minimo %|Massima correzione minimo us|"
    "Disabilita Centraggio Compensazione|Massima Correzione us|Minima correzione us|"
    "Soglia Rilascio %|Soglia Secondo Set %|Soglia Terzo Set %|Smagrimento Terzo Set %|"
    "Smagrimento Rilascio %";

TEST(TuningData, EveryParameterOnceAsNumbers) {
  std::map<std::string, std::vector<std::int32_t>> params;
  for (const auto& l : StagedLines("lng/ParaTun.txt")) {
    const auto parts = Split(l, '=');
    if (parts.size() < 2) {
      continue;
    }
    std::vector<std::int32_t> values;
    for (std::size_t k = 1; k < parts.size(); ++k) {
      const auto v = ParseInt32(parts[k]);
      ASSERT_TRUE(v) << l;
      values.push_back(*v);
    }
    EXPECT_TRUE(params.emplace(parts[0], values).second) << "repeated key " << parts[0];
  }
  const auto keys = Split(kTuningKeys, '|');
  for (const auto& k : keys) {
    EXPECT_EQ(params.count(k), 1u) << "missing \"" << k << "\"";
  }
  EXPECT_EQ(params.size(), keys.size());
  // The return to idle is recognised above the lowest engine speed.
  EXPECT_LT(params["Rpm minimi"].at(0), params["Rpm ritorno minimo"].at(0));
}

TEST(FlashData, SectorsAreContiguousAndHoldTheIdentification) {
  // "H" + 8 digits at both ends of every line, ascending and contiguous.
  std::vector<std::pair<std::uint64_t, std::uint64_t>> sectors;
  for (const auto& l : StagedLines("bin/Flash.ini")) {
    if (Trim(l).empty()) {
      continue;
    }
    ASSERT_GE(l.size(), 18u) << l;
    ASSERT_EQ(l[0], 'H') << l;
    ASSERT_EQ(l[l.size() - 9], 'H') << l;
    const auto first = HexToLong(std::string_view(l).substr(1, 8));
    const auto last = HexToLong(std::string_view(l).substr(l.size() - 8));
    ASSERT_TRUE(first && last) << l;
    ASSERT_LT(*first, *last);
    if (!sectors.empty()) {
      EXPECT_EQ(*first, sectors.back().second + 1) << l;
    }
    sectors.emplace_back(*first, *last);
  }
  // The identification address lies inside the 14 erasable sectors.
  ASSERT_GE(sectors.size(), 14u);
  const std::uint64_t ident = 0x00FFE000;
  EXPECT_TRUE(std::any_of(sectors.begin(), sectors.begin() + 14, [&](const auto& s) {
    return s.first <= ident && ident + 38 - 1 <= s.second;
  }));
}

TEST(StagedTextFiles, ConvertedToCrLf) {
  const std::string source = EnvDir("VELMORA_SOURCE");
  ASSERT_FALSE(source.empty());
  int checked = 0;
  for (const char* dir : {"bin", "lng"}) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(source + "/data/" + dir, ec)) {
      const std::string ext = ToUpper(entry.path().extension().string());
      if (!entry.is_regular_file() || (ext != ".INI" && ext != ".TXT")) {
        continue;
      }
      const std::string rel = std::string(dir) + "/" + entry.path().filename().string();
      SCOPED_TRACE(rel);
      std::string src;
      std::string staged;
      ASSERT_TRUE(ReadWholeFile(entry.path().string(), src));
      ASSERT_TRUE(ReadWholeFile(EnvDir("VELMORA_STAGE") + "/" + rel, staged));
      std::string expected;
      for (char c : src) {
        if (c == '\n' && (expected.empty() || expected.back() != '\r')) {
          expected.push_back('\r');
        }
        expected.push_back(c);
      }
      EXPECT_EQ(staged, expected);
      ++checked;
    }
  }
  EXPECT_GE(checked, 7);
}

}  // namespace
}  // namespace velmora::core
