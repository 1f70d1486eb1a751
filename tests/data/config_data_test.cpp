// Checks the configuration files shipped in the installation tree, as staged
// by the build: they must read without warnings and hold together with the
// ECU they describe (frame layouts, identity patterns, timing, sensor lists).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
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

namespace velmora::core {
namespace {

namespace fs = std::filesystem;

std::string EnvDir(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr ? std::string(v) : std::string();
}

std::string Stage() {
  return EnvDir("VELMORA_STAGE");
}

std::vector<std::string> StagedLines(const std::string& rel) {
  std::vector<std::string> lines;
  EXPECT_TRUE(LeggiRighe(Stage() + "/" + rel, lines)) << rel << " is not staged";
  return lines;
}

// Shape of every message-table entry: the read command of its request, the
// number of data bytes its answer carries, and whether the program writes it
// back (written entries are encoded field after field, so their field list
// must tile the data bytes exactly).
struct EntryShape {
  std::uint8_t command;
  int data_bytes;
  bool written;
};

constexpr std::array<EntryShape, 22> kShapes{{
    {0x21, 62, false},   // 0 identification
    {0x0C, 120, false},  // 1 main live record
    {0x0D, 20, true},    // 2
    {0x0E, 75, true},    // 3
    {0x0F, 64, false},   // 4 error memory
    {0x30, 16, false},   // 5 connection block
    {0x3C, 16, true},    // 6
    {0x7A, 32, true},    // 7
    {0x7C, 32, true},    // 8
    {0x7E, 47, true},    // 9
    {0x3A, 32, false},   // 10 freeze frame
    {0x41, 88, true},    // 11
    {0x44, 88, true},    // 12
    {0x5D, 34, true},    // 13
    {0x62, 48, true},    // 14
    {0x6E, 112, true},   // 15
    {0x74, 56, true},    // 16
    {0x80, 32, true},    // 17
    {0x51, 64, true},    // 18
    {0x9B, 22, true},    // 19
    {0x9D, 22, false},   // 20
    {0x23, 32, false},   // 21 memory trace record
}};

// Answer frames: 42 01 L cmd result data... check, so data byte k is frame
// byte 5 + k; byte fields count their position from 1, SL from 0.
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

std::uint8_t Xor(const Bytes& b, std::size_t count) {
  std::uint8_t x = 0;
  for (std::size_t i = 0; i < count && i < b.size(); ++i) {
    x ^= b[i];
  }
  return x;
}

// A request frame 41 02 L cmd data... check with L = data + 3.
::testing::AssertionResult IsRequestFrame(const std::string& hex) {
  const auto b = HexToBin(hex);
  if (!b || b->size() < 5) {
    return ::testing::AssertionFailure() << "\"" << hex << "\" is not a request frame";
  }
  if ((*b)[0] != 0x41 || (*b)[1] != 0x02 || (*b)[2] != b->size() - 2) {
    return ::testing::AssertionFailure() << "\"" << hex << "\" has a wrong header";
  }
  if (Xor(*b, b->size() - 1) != b->back()) {
    return ::testing::AssertionFailure() << "\"" << hex << "\" has a wrong check byte";
  }
  return ::testing::AssertionSuccess();
}

int DataByteOfField(const MessageEntry& e, std::size_t field) {
  const auto s = SpanOf(e.fields.at(field));
  return s ? s->first_data_byte : -1;
}

// Identity answers of the ECU: 68 bytes, 62 data bytes: version field (6),
// 32-character text, serial and reserved (10), hardware signature (14).
Bytes IdentityFrame(std::array<std::uint8_t, 6> version, std::string_view text,
                    std::string_view signature, std::uint8_t serial_seed) {
  Bytes f;
  f.reserve(68);  // also keeps gcc 12 from a false array-bounds warning on the inserts
  for (const std::uint8_t b : {0x42, 0x01, 0x42, 0x21, 0x00}) {
    f.push_back(b);
  }
  f.insert(f.end(), version.begin(), version.end());
  std::string padded(text);
  padded.resize(32, ' ');
  f.insert(f.end(), padded.begin(), padded.end());
  for (int i = 0; i < 10; ++i) {
    f.push_back(static_cast<std::uint8_t>(serial_seed + i * 37));
  }
  f.insert(f.end(), signature.begin(), signature.end());
  f.push_back(Xor(f, f.size()));
  return f;
}

// The piece of an identity answer that a first-list entry of the given kind
// compares with its pattern: kind 1 the identification text, kind 2 the
// hardware signature, kind 3 the signature's last six characters (the check
// byte excluded, so the pattern does not depend on serial bytes), any other
// kind the answer's last six bytes (a blank ECU's short answer). A 4-byte
// pattern of kind 3 or other compares the first four bytes of that piece.
std::optional<Bytes> ComparedPiece(const Bytes& id, std::int32_t kind, std::size_t pattern_size) {
  std::size_t back = 0;
  std::size_t len = 0;
  switch (kind) {
    case 1:
      back = 57;
      len = 29;
      break;
    case 2:
      back = 15;
      len = 14;
      break;
    case 3:
      back = 7;
      len = pattern_size == 4 ? 4 : 6;
      break;
    default:
      back = 6;
      len = pattern_size == 4 ? 4 : 6;
      break;
  }
  if (id.size() < back) {
    return std::nullopt;
  }
  const std::size_t start = id.size() - back;
  return Bytes(id.begin() + static_cast<std::ptrdiff_t>(start),
               id.begin() + static_cast<std::ptrdiff_t>(start + len));
}

int GenerationOfKind(std::int32_t kind) {
  switch (kind) {
    case 1:
      return 3;
    case 2:
      return 2;
    case 3:
      return 1;
    default:
      return 0;
  }
}

std::vector<std::size_t> MatchingEntries(const std::vector<FirmwareEntry>& list, const Bytes& id) {
  std::vector<std::size_t> hits;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const auto piece = ComparedPiece(id, list[i].kind, list[i].pattern.size());
    if (piece && *piece == list[i].pattern) {
      hits.push_back(i);
    }
  }
  return hits;
}

TEST(SetComData, LinkTimingAllowsTheLongestEcuWait) {
  const auto cfg = LeggiSetCom(StagedLines("bin/SetCom.ini"));
  EXPECT_TRUE(cfg.warnings.empty()) << cfg.warnings.front();
  ASSERT_GT(cfg.attesa_globale_usec, 0);
  ASSERT_GT(cfg.mol_attesa_globale, 0);
  const std::int64_t long_wait_usec =
      std::int64_t{cfg.attesa_globale_usec} * std::int64_t{cfg.mol_attesa_globale};
  // The pipe must outwait the link's own longest wait, or a slow exchange
  // ends the program with a time-out.
  EXPECT_GT(cfg.attesa_pipe_usec, long_wait_usec);
  // The link receives the long wait in 16 bits of milliseconds.
  EXPECT_LE(long_wait_usec / 1000, 65535);
  EXPECT_EQ(cfg.tipo_port, 0);
}

TEST(SetComData, MessageTableLayouts) {
  const auto cfg = LeggiSetCom(StagedLines("bin/SetCom.ini"));
  ASSERT_TRUE(cfg.warnings.empty()) << cfg.warnings.front();
  ASSERT_EQ(cfg.messages.size(), kShapes.size());
  for (std::size_t i = 0; i < cfg.messages.size(); ++i) {
    SCOPED_TRACE("entry " + std::to_string(i));
    const auto& e = cfg.messages[i];
    const auto& shape = kShapes[i];
    EXPECT_EQ(e.number, static_cast<std::int32_t>(i));
    EXPECT_FALSE(e.name.empty());
    ASSERT_TRUE(IsRequestFrame(e.request_hex));
    EXPECT_EQ(HexToBin(e.request_hex)->at(3), shape.command);
    ASSERT_FALSE(e.fields.empty());

    int next = 0;
    int extent = 0;
    for (std::size_t k = 0; k < e.fields.size(); ++k) {
      SCOPED_TRACE("field " + std::to_string(k));
      const auto& f = e.fields[k];
      const auto span = SpanOf(f);
      ASSERT_TRUE(span) << "type \"" << f.type << "\"";
      EXPECT_NE(f.multiplier, 0);
      EXPECT_GE(span->first_data_byte, 0);
      EXPECT_LE(span->first_data_byte + span->width, shape.data_bytes);
      extent = std::max(extent, span->first_data_byte + span->width);
      if (shape.written) {
        // SL decodes word-swapped but encodes plain little-endian.
        EXPECT_NE(f.type, "SL");
        EXPECT_EQ(f.multiplier, 1);
        EXPECT_EQ(span->first_data_byte, next);
      }
      next = span->first_data_byte + span->width;
    }
    EXPECT_EQ(extent, shape.data_bytes);
    if (shape.written) {
      EXPECT_EQ(next, shape.data_bytes);
    }
  }

  const auto& m = cfg.messages;
  // Identification: every data byte of the 68-byte answer, one byte each.
  ASSERT_EQ(m[0].fields.size(), 62u);
  for (std::size_t k = 0; k < 62; ++k) {
    EXPECT_EQ(DataByteOfField(m[0], k), static_cast<int>(k));
  }
  EXPECT_EQ(m[0].request_hex, "4102032161");
  // Fields other parts of the program address by number.
  EXPECT_EQ(m[1].fields.at(32).type, "UW");  // rpm period
  EXPECT_EQ(m[1].fields.at(51).type, "UB");  // working-point indexes
  EXPECT_EQ(m[1].fields.at(52).type, "UB");
  for (std::size_t k : {3u, 4u, 7u, 9u, 10u, 11u}) {
    EXPECT_EQ(m[2].fields.at(k).type, "UW") << "entry 2 field " << k;
  }
  EXPECT_EQ(m[2].fields.at(0).type, "SB");
  EXPECT_EQ(DataByteOfField(m[3], 1), 1);  // cylinder count
  for (int cyl = 0; cyl < 8; ++cyl) {
    EXPECT_EQ(DataByteOfField(m[3], 16 - cyl), 21 - cyl);
  }
  EXPECT_EQ(m[3].fields.at(42).type, "UB");
  EXPECT_EQ(DataByteOfField(m[12], 24), 24);
  EXPECT_EQ(m[9].fields.size(), 32u);  // 15 pairs, centred flag, pairs in use
  EXPECT_EQ(m[11].fields.size(), 71u);
  EXPECT_EQ(m[14].fields.at(3).type, "UW");
  EXPECT_EQ(m[15].fields.size(), 91u);
  for (int err = 0; err < 8; ++err) {
    EXPECT_EQ(DataByteOfField(m[15], 15 + err), 20 + err);
  }
  EXPECT_EQ(DataByteOfField(m[15], 39), 44);
  EXPECT_EQ(DataByteOfField(m[15], 47), 52);
  for (int k = 0; k < 9; ++k) {
    EXPECT_EQ(DataByteOfField(m[15], 66 + k), 85 + k);
  }
  // The connection block the firmware update falls back on decodes to six
  // cylinders, the same count the calibration loader takes from it.
  const auto coll = *HexToBin("42011430009A0200051209140019010680060004006B");
  const int f6 = DataByteOfField(m[5], 6) + kFrameHeader;
  EXPECT_EQ(coll.at(f6) + 256 * coll.at(f6 + 1), 6);
}

TEST(SetComData, FirmwareListsIdentifyEachHardwareOnce) {
  const auto cfg = LeggiSetCom(StagedLines("bin/SetCom.ini"));
  ASSERT_TRUE(cfg.warnings.empty()) << cfg.warnings.front();
  ASSERT_FALSE(cfg.firmware1.empty());
  for (const auto& f : cfg.firmware1) {
    SCOPED_TRACE(f.text2);
    EXPECT_FALSE(f.pattern.empty());
    EXPECT_TRUE(IsRequestFrame(f.text1));
    EXPECT_FALSE(f.text2.empty());
  }

  struct Identity {
    std::array<std::uint8_t, 6> version;
    const char* text;
    const char* signature;
    int generation;
  };
  const std::array<Identity, 3> ids{{
      {{0x03, 0x05, 0x18, 0x09, 0x20, 0x19}, "GASECU SEQ NEXHW 8CYL R03", "NEXHW-8CYL-R03", 3},
      {{0x02, 0x07, 0x11, 0x03, 0x20, 0x18}, "GASECU SEQ 3RDHW 6CYL R02", "3RDHW-6CYL-R02", 2},
      {{0x01, 0x09, 0x05, 0x06, 0x20, 0x16}, "GASECU SEQ 2NDHW 4CYL R01", "2NDHW-4CYL-R01", 1},
  }};
  for (const auto& id : ids) {
    SCOPED_TRACE(id.text);
    // Two serial numbers: the match must not depend on them.
    for (std::uint8_t seed : {std::uint8_t{0x00}, std::uint8_t{0xA5}}) {
      const auto frame = IdentityFrame(id.version, id.text, id.signature, seed);
      ASSERT_EQ(frame.size(), 68u);
      ASSERT_EQ(Xor(frame, frame.size()), 0);
      const auto hits = MatchingEntries(cfg.firmware1, frame);
      ASSERT_EQ(hits.size(), 1u);
      EXPECT_EQ(GenerationOfKind(cfg.firmware1[hits[0]].kind), id.generation);
    }
  }

  // Blank ECUs must still be recognised, or no firmware could ever be
  // written to them.
  const auto blank_short = *HexToBin("420104211472");
  const std::string ff(2, 'F');
  std::string blank_hex = "4201422100";
  for (int i = 0; i < 38; ++i) {
    blank_hex += ff;
  }
  blank_hex += "FEFE0000000020000000";
  for (int i = 0; i < 14; ++i) {
    blank_hex += ff;
  }
  blank_hex += "00";
  const auto blank_long = *HexToBin(blank_hex);
  ASSERT_EQ(blank_long.size(), 68u);
  EXPECT_EQ(MatchingEntries(cfg.firmware1, blank_short).size(), 1u);
  EXPECT_EQ(MatchingEntries(cfg.firmware1, blank_long).size(), 1u);

  // Connection profiles: the port search uses every entry, a connection the
  // entries from the second on, so at least two are needed.
  ASSERT_GE(cfg.firmware2.size(), 2u);
  for (const auto& p : cfg.firmware2) {
    EXPECT_EQ(p.text1.rfind("//", 0), 0u) << p.text1;
    EXPECT_GT(p.text1.size(), 2u);
  }
  EXPECT_EQ(cfg.firmware_mod2017.size(), 86u);
}

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

TEST(ConfigScaleData, RecordsFitTheEcuFields) {
  const auto lines = StagedLines("lng/ConfigScale.ini");
  const auto cs = LeggiConfigScale(lines, '.');
  EXPECT_TRUE(cs.warnings.empty()) << cs.warnings.front();
  EXPECT_EQ(cs.spark, 7000);
  EXPECT_EQ(cs.max_bad_bit, 15);
  ASSERT_TRUE(cs.somma_tempo_inj_usec.has_value());
  EXPECT_GT(*cs.somma_tempo_inj_usec, 0.0);

  ASSERT_FALSE(cs.injectors.empty());
  for (const auto& inj : cs.injectors) {
    SCOPED_TRACE(inj.name);
    EXPECT_FALSE(inj.name.empty());
    EXPECT_GT(inj.params[0], 0);  // dead time, written in microseconds (16 bits)
    EXPECT_LE(inj.params[0], 65535);
    // Minimum opening goes out in 8-microsecond steps (16 bits).
    EXPECT_GT(inj.params[1], 0);
    EXPECT_LE(inj.params[1] / 8, 65535);
  }

  ASSERT_FALSE(cs.gas_levels.empty());
  for (const auto& g : cs.gas_levels) {
    SCOPED_TRACE(g.name);
    // Copied into one-byte fields of the switch-over record.
    for (auto v : {g.first, g.last}) {
      EXPECT_GE(v, 0);
      EXPECT_LE(v, 255);
    }
    EXPECT_TRUE(std::is_sorted(g.curve.begin(), g.curve.end()));
    EXPECT_GE(g.curve.front(), 0);
    EXPECT_LE(g.curve.back(), 255);
  }

  // The probe list shows "no probe" at position 0, then the records in file
  // order: position 1 is limited to 1000 mV, position 4 to 800..1600 mV and
  // position 5 has no pre-catalyst emulation.
  ASSERT_GE(cs.lambdas.size(), 5u);
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
  for (std::size_t k = 2; k < 6; ++k) {
    EXPECT_LE(cs.lambdas[0].params[k], 1000);
    EXPECT_GE(cs.lambdas[3].params[k], 800);
    EXPECT_LE(cs.lambdas[3].params[k], 1600);
  }
  EXPECT_EQ(cs.lambdas[4].params[2], 0);
  EXPECT_EQ(cs.lambdas[4].params[3], 0);

  ASSERT_EQ(cs.temp_sensors.size(), 2u);
  EXPECT_EQ(cs.temp_sensors[0].name, "10K");
  EXPECT_EQ(cs.temp_sensors[1].name, "4K7");

  ASSERT_FALSE(cs.tolerances.empty());
  for (const auto& t : cs.tolerances) {
    EXPECT_LE(t.values[0], t.values[2]);
    EXPECT_GT(t.values[1], 0);
  }
  ASSERT_FALSE(cs.ascii_codes_a.empty());
  EXPECT_EQ(cs.ascii_codes_a.size(), cs.ascii_codes_b.size());
  EXPECT_EQ(cs.ascii_fallback, 32);
  EXPECT_FALSE(cs.gen3_list1.empty());
  EXPECT_FALSE(cs.gen3_list2.empty());
  EXPECT_LT(cs.sfasa_min, cs.sfasa_max);
  EXPECT_LT(cs.emu_min, cs.emu_max);
  ASSERT_GE(cs.custom_labels.size(), 2u);
  for (const auto& [a, b] : cs.custom_labels) {
    EXPECT_FALSE(a.empty());
    EXPECT_NE(b, "NUL");
  }
  EXPECT_TRUE(std::any_of(cs.custom_labels.begin(), cs.custom_labels.end(),
                          [](const auto& p) { return p.second.empty(); }));

  // Keys read by the smoothing, compensation and direct-injection pages.
  const auto blocks = KeyBlocks(lines);
  for (const char* k : {"[K_Lambda]", "[K_Pressure]", "[K_Barre]"}) {
    ASSERT_EQ(blocks.count(k), 1u) << k;
    const auto v = ParseInt32(blocks.at(k).at(0));
    ASSERT_TRUE(v) << k;
    EXPECT_GE(*v, 1) << k;
    EXPECT_LE(*v, 10) << k;
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

TEST(LoggerData, VariableListAndSetup) {
  const auto list = StagedLines("lng/OsciList.ini");
  std::map<std::int32_t, std::string> vars;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i] != "[Var]") {
      continue;
    }
    ASSERT_LT(i + 4, list.size());
    EXPECT_EQ(Split(list[i + 1], ',').size(), 2u) << list[i + 1];
    const auto id = ParseInt32(list[i + 2]);
    const auto div = ParseInt32(list[i + 3]);
    ASSERT_TRUE(id && div) << list[i + 1];
    EXPECT_NE(*div, 0);
    EXPECT_GE(*id, 0);
    EXPECT_LT(*id, 79) << "beyond the live record's fields";
    EXPECT_TRUE(vars.emplace(*id, list[i + 1]).second) << "duplicate id " << *id;
  }
  const std::array<std::int32_t, 8> defaults{15, 7, 33, 49, 36, 43, 44, 32};
  for (auto id : defaults) {
    EXPECT_EQ(vars.count(id), 1u) << "default channel variable " << id;
  }

  const auto setup = StagedLines("lng/OsciSetUp.ini");
  std::vector<std::int32_t> channel_ids;
  for (std::size_t i = 0; i < setup.size(); ++i) {
    if (Trim(setup[i]) != "[Var]") {
      continue;
    }
    ASSERT_LT(i + 6, setup.size());
    EXPECT_EQ(ParseInt32(setup[i + 1]), static_cast<std::int32_t>(channel_ids.size()));
    channel_ids.push_back(ParseInt32(setup[i + 2]).value_or(-1));
    EXPECT_EQ(Trim(setup[i + 3]), "-1");
    const auto offset = ParseInt32(setup[i + 5]);
    ASSERT_TRUE(offset && ParseInt32(setup[i + 4]) && ParseInt32(setup[i + 6]));
    EXPECT_GE(*offset, 0);
    EXPECT_LE(*offset, 98);
  }
  EXPECT_TRUE(std::equal(channel_ids.begin(), channel_ids.end(), defaults.begin(), defaults.end()));
}

TEST(TuningAndFlashData, ParametersAndSectors) {
  const std::vector<std::string> keys{"Temp taratura",
                                      "Rpm minimi",
                                      "Attesa minimo ms",
                                      "Num Campioni minimo",
                                      "Freq Campioni minimo ms",
                                      "Attiva tutti i Cil",
                                      "Rpm Massimo",
                                      "DeltaVisualizzazioneRPMMax",
                                      "Attesa massimo ms",
                                      "Num Campioni massimo",
                                      "Freq Campioni massimo ms",
                                      "Prima attesa ms",
                                      "Attesa corr inj ms",
                                      "Num Campioni corr inj",
                                      "Freq Campioni corr inj ms",
                                      "Cicli in tolleranza inj",
                                      "Max cicli non in tolleranza inj",
                                      "Tolleranza in correzione inj %",
                                      "Step di Correzione inj %",
                                      "Massima correzione inj us",
                                      "Rpm ritorno minimo",
                                      "Attesa ritorno minimo ms",
                                      "Attesa corr minimo ms",
                                      "Num Campioni corr minimo",
                                      "Freq Campioni corr minimo ms",
                                      "Cicli in tolleranza minimo",
                                      "Max cicli non in tolleranza minimo",
                                      "Tolleranza in correzine minimo %",
                                      "Step di Correzione minimo %",
                                      "Massima correzione minimo us",
                                      "Disabilita Centraggio Compensazione",
                                      "Massima Correzione us",
                                      "Minima correzione us",
                                      "Soglia Rilascio %",
                                      "Soglia Secondo Set %",
                                      "Soglia Terzo Set %",
                                      "Smagrimento Terzo Set %",
                                      "Smagrimento Rilascio %"};
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
  for (const auto& k : keys) {
    EXPECT_EQ(params.count(k), 1u) << "missing \"" << k << "\"";
  }
  EXPECT_EQ(params.size(), keys.size());
  EXPECT_EQ(params["Rpm minimi"], (std::vector<std::int32_t>{900, 700}));
  EXPECT_LT(params["Rpm minimi"][0], params["Rpm ritorno minimo"][0]);

  // Sectors: "H" + 8 digits at both ends, ascending and contiguous; the
  // identification address lies inside the 14 erasable ones.
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
  ASSERT_GE(sectors.size(), 14u);
  const std::uint64_t ident = 0x00FFE000;
  EXPECT_TRUE(std::any_of(sectors.begin(), sectors.begin() + 14, [&](const auto& s) {
    return s.first <= ident && ident + 38 - 1 <= s.second;
  }));
}

TEST(StagedTextFiles, ConvertedToCrLf) {
  const std::string source = EnvDir("VELMORA_SOURCE");
  ASSERT_FALSE(source.empty());
  ASSERT_FALSE(Stage().empty());
  int checked = 0;
  for (const char* dir : {"bin", "lng"}) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(source + "/data/" + dir, ec)) {
      std::string ext = entry.path().extension().string();
      std::transform(ext.begin(), ext.end(), ext.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      if (!entry.is_regular_file() || (ext != ".ini" && ext != ".txt")) {
        continue;
      }
      const std::string rel = std::string(dir) + "/" + entry.path().filename().string();
      SCOPED_TRACE(rel);
      std::string src;
      std::string staged;
      ASSERT_TRUE(ReadWholeFile(entry.path().string(), src));
      ASSERT_TRUE(ReadWholeFile(Stage() + "/" + rel, staged));
      for (std::size_t i = 0; i < staged.size(); ++i) {
        if (staged[i] == '\n') {
          ASSERT_TRUE(i > 0 && staged[i - 1] == '\r') << "lone LF at byte " << i;
        }
      }
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
