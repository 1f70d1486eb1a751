// Every entry of the shipped message table against the virtual ECU: the
// answer has exactly the layout the table gives, written entries read back
// what was written, and the engine model keeps the main live record moving
// within physical limits.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/files.h"
#include "core/hex.h"
#include "core/set_com.h"
#include "core/text.h"
#include "link/ecu_frame.h"
#include "link/message_table.h"
#include "link/message_table_codec.h"
#include "sim/ecu_model.h"
#include "sim/live_record.h"

namespace velmora::sim {
namespace {

constexpr std::size_t kEntries = 22;

std::vector<std::string> ShippedSetComLines() {
  const char* stage = std::getenv("VELMORA_STAGE");
  std::vector<std::string> lines;
  EXPECT_TRUE(
      core::LeggiRighe(std::string(stage != nullptr ? stage : "") + "/bin/SetCom.ini", lines));
  return lines;
}

// The write command each "[MSG]" documents on its sixth line ("WRITE_CMD=0x10"
// or "WRITE_CMD=none"), by entry index.
std::map<std::size_t, std::uint8_t> WriteCommands(const std::vector<std::string>& lines) {
  std::map<std::size_t, std::uint8_t> out;
  std::size_t entry = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (core::Trim(lines[i]) != "[MSG]") {
      continue;
    }
    if (i + 6 < lines.size()) {
      const std::string_view w = core::Trim(lines[i + 6]);
      constexpr std::string_view kPrefix = "WRITE_CMD=0x";
      if (w.substr(0, kPrefix.size()) == kPrefix) {
        if (const auto code = core::HexToLong(w.substr(kPrefix.size()))) {
          out[entry] = static_cast<std::uint8_t>(*code);
        }
      }
    }
    ++entry;
  }
  return out;
}

// The answer frame size a layout implies: its last byte plus the check byte.
std::size_t FrameSizeOf(const core::MessageEntry& e) {
  std::int64_t end = 0;
  for (const auto& f : e.fields) {
    const auto type = link::FieldTypeOf(f.type);
    const std::int64_t first = type == link::FieldType::kSL ? f.position : f.position - 1;
    const std::int64_t width = type == link::FieldType::kUB || type == link::FieldType::kSB ? 1
                               : type == link::FieldType::kSL                               ? 4
                                                                                            : 2;
    end = std::max(end, first + width);
  }
  return static_cast<std::size_t>(end) + 1;
}

struct Rig {
  explicit Rig(Hardware hw = Hardware::kNex, std::uint64_t seed = 7)
      : config(core::LeggiSetCom(ShippedSetComLines())),
        ecu(SimSetup{hw, 0, seed, [this] { return now_us; }}),
        table(config.messages) {}

  // Sends the entry's request and decodes the answer; the answer frame.
  Bytes Read(std::size_t entry) {
    const auto request = core::HexToBin(table.Entry(entry)->request_hex).value();
    const auto reply = ecu.Answer(request);
    EXPECT_TRUE(reply.has_value()) << "entry " << entry;
    if (!reply) {
      return {};
    }
    table.DecodificaRisposta(reply->frame, entry);
    return reply->frame;
  }
  // Encodes the entry's values and sends them with `command`; the result byte.
  int Write(std::size_t entry, std::uint8_t command) {
    const auto reply = ecu.Answer(link::RequestFrame(command, table.CodificaValori(entry)).value());
    return reply ? reply->frame.at(4) : -1;
  }

  std::int64_t now_us = 0;
  core::SetComConfig config;
  EcuModel ecu;
  link::MessageTable table;
};

TEST(LiveBlocks, EveryEntryAnswersWithTheLayoutOfTheTable) {
  for (const Hardware hw : {Hardware::kNex, Hardware::kThird, Hardware::kSecond}) {
    Rig rig(hw);
    ASSERT_EQ(rig.table.Size(), kEntries);
    for (std::size_t i = 0; i < kEntries; ++i) {
      const core::MessageEntry& e = *rig.table.Entry(i);
      EXPECT_EQ(e.number, static_cast<std::int32_t>(i));
      const Bytes request = core::HexToBin(e.request_hex).value();
      const Bytes f = rig.Read(i);
      ASSERT_EQ(f.size(), FrameSizeOf(e)) << "entry " << i;
      EXPECT_EQ(f[0], 0x42);
      EXPECT_EQ(f[1], 0x01);
      EXPECT_EQ(f[2] + 2u, f.size());
      EXPECT_EQ(f[3], request[3]) << "entry " << i;
      EXPECT_EQ(f[4], 0x00) << "entry " << i;
      EXPECT_EQ(link::CheckXor(f), 0) << "entry " << i;
    }
    EXPECT_TRUE(rig.table.Warnings().empty()) << rig.table.Warnings().front();
    // The headers the traffic log looks for.
    EXPECT_EQ(core::BinToHex(rig.Read(1)).substr(0, 10), "42017C0C00");
    EXPECT_EQ(core::BinToHex(rig.Read(12)).substr(0, 10), "42015C4400");
    // The rpm factor divides, so it is never 0; the cylinder count is the
    // same in block 3 and in the connection block.
    const std::int32_t factor = rig.table.Value(3, link::live::kRpmFactorField);
    EXPECT_TRUE(factor == 1 || factor == 2);
    EXPECT_EQ(rig.table.Value(5, 6), rig.table.Value(3, 1));
    EXPECT_EQ(rig.table.Value(3, 1), ProfileOf(hw).cylinders);
  }
}

// A value that fits the field's type, different for every field and pass.
std::int32_t Sample(const core::FieldSpec& f, std::size_t field, int pass) {
  const auto k = static_cast<std::int32_t>(field * 37 + static_cast<std::size_t>(pass) * 101 + 11);
  switch (link::FieldTypeOf(f.type)) {
    case link::FieldType::kUB:
      return k % 256;
    case link::FieldType::kSB:
      return k % 256 - 128;
    case link::FieldType::kUW:
      return (k * 263) % 65535;  // 65535 would reset a counter
    case link::FieldType::kSW:
      return (k * 263) % 65536 - 32768;
    default:
      return k;
  }
}

TEST(LiveBlocks, EveryWrittenEntryReadsBackWhatWasWritten) {
  Rig rig;
  const auto writes = WriteCommands(ShippedSetComLines());
  const std::set<std::size_t> expected = {2, 3, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19};
  std::set<std::size_t> found;
  for (const auto& [entry, command] : writes) {
    found.insert(entry);
  }
  ASSERT_EQ(found, expected);

  for (int pass = 0; pass < 2; ++pass) {
    for (const auto& [entry, command] : writes) {
      rig.Read(entry);
      const core::MessageEntry& e = *rig.table.Entry(entry);
      std::vector<std::int32_t> written(e.fields.size());
      for (std::size_t f = 0; f < e.fields.size(); ++f) {
        written[f] = Sample(e.fields[f], f, pass);
        rig.table.SetValue(entry, f, written[f]);
      }
      if (entry == 2) {
        written[9] &= 0x7FFF;  // the top bit restarts the service count
        rig.table.SetValue(entry, 9, written[9]);
      }
      if (entry == 3) {
        written[link::live::kRpmFactorField] = 1 + pass;
        rig.table.SetValue(entry, link::live::kRpmFactorField, 1 + pass);
      }
      ASSERT_EQ(rig.Write(entry, command), 0) << "entry " << entry;
      rig.Read(entry);
      for (std::size_t f = 0; f < e.fields.size(); ++f) {
        // The OBD readings from the car are the ECU's own.
        if (entry == 12 && f >= kObdLiveFirst && f <= kObdLiveLast) {
          continue;
        }
        EXPECT_EQ(rig.table.Value(entry, f), written[f]) << "entry " << entry << " field " << f;
      }
    }
  }
  // The cylinder count written into block 3 shows in the connection block.
  rig.Read(3);
  rig.Read(5);
  EXPECT_EQ(rig.table.Value(5, 6), rig.table.Value(3, 1));
}

TEST(LiveBlocks, TheEcuActsOnCountersServiceAndErase) {
  Rig rig;
  rig.Read(2);
  ASSERT_NE(rig.table.Value(2, 3), 0);
  ASSERT_NE(rig.table.Value(2, 10), 0);
  rig.table.SetValue(2, 3, 65535);        // reset the gas hours
  rig.table.SetValue(2, 9, 32768 + 500);  // restart the service count
  ASSERT_EQ(rig.Write(2, 0x10), 0);
  rig.Read(2);
  EXPECT_EQ(rig.table.Value(2, 3), 0);
  EXPECT_EQ(rig.table.Value(2, 10), 0);
  EXPECT_EQ(rig.table.Value(2, 7), 0);
  EXPECT_EQ(rig.table.Value(2, 9), 500);
  EXPECT_NE(rig.table.Value(2, 4), 0);  // the petrol counter is untouched

  // The connection block goes back as it was read after a firmware update.
  const Bytes coll = rig.Read(5);
  ASSERT_EQ(rig.Write(5, 0x2C), 0);
  EXPECT_EQ(rig.Read(5), coll);

  rig.Read(4);
  ASSERT_EQ(rig.table.Value(4, 37), 1);
  ASSERT_TRUE(rig.ecu.Answer(core::HexToBin("4102030B4B").value()));
  rig.Read(4);
  for (std::size_t f = 0; f < 64; ++f) {
    EXPECT_EQ(rig.table.Value(4, f), 0);
  }
}

// Physical limits of the main live record's fields (entry 1), decoded.
struct Range {
  std::size_t field;
  std::int32_t lo;
  std::int32_t hi;
};
constexpr Range kRanges[] = {
    {1, 0, 1},        {2, 0, 2},          {4, 0, 5},     {32, 600, 3500}, {33, 0, 1300},
    {34, 2800, 3200}, {35, 13000, 14500}, {36, 0, 1000}, {37, 0, 1000},   {39, 0, 1000},
    {40, 0, 1000},    {41, 0, 5000},      {42, 0, 5000}, {43, 15, 85},    {44, 15, 40},
    {46, 0, 100},     {49, 150, 900},     {51, 0, 23},   {52, 0, 22},
};

// Petrol times on the cylinders there are, gas times longer while on gas.
void ExpectInjectionTimes(const link::MessageTable& table, int cylinders) {
  const auto v = [&](std::size_t f) { return table.Value(1, f); };
  for (std::size_t c = 0; c < 8; ++c) {
    if (c >= static_cast<std::size_t>(cylinders)) {
      EXPECT_EQ(v(7 + c), 0);
      continue;
    }
    EXPECT_GE(v(7 + c), 1500);
    EXPECT_LE(v(7 + c), 7000);
    if (v(1) == 1) {
      EXPECT_GT(v(15 + c), v(7 + c));
      EXPECT_LE(v(15 + c), 10000);
    } else {
      EXPECT_EQ(v(15 + c), 0);
    }
  }
}

TEST(LiveBlocks, EngineModelStaysPhysicalAndWarmsUpOntoGas) {
  Rig rig(Hardware::kNex, 3);
  rig.Read(3);
  std::set<std::int32_t> rpms;
  std::int32_t max_rpm = 0;
  bool gas = false;
  int gas_reads = 0;
  int lambda_flips = 0;
  bool rich = false;
  const int cylinders = rig.table.Value(3, 1);
  // Ten minutes at 20 reads a second.
  for (int k = 0; k < 20 * 600; ++k) {
    rig.now_us = static_cast<std::int64_t>(k) * 50'000;
    rig.Read(1);
    const auto v = [&](std::size_t f) { return rig.table.Value(1, f); };
    for (const Range& r : kRanges) {
      ASSERT_GE(v(r.field), r.lo) << "field " << r.field << " at read " << k;
      ASSERT_LE(v(r.field), r.hi) << "field " << r.field << " at read " << k;
    }
    rpms.insert(v(32));
    max_rpm = std::max(max_rpm, v(32));
    ExpectInjectionTimes(rig.table, cylinders);
    if (v(32) < 900 && v(49) < 400) {  // idling: about 2.5 to 3.5 ms
      EXPECT_GE(v(7), 2500);
      EXPECT_LE(v(7), 3500);
    }
    gas = gas || v(1) == 1;
    gas_reads += v(1);
    if (k >= 20 * 60 && k < 20 * 120) {  // probes hot: count their switching
      const bool now_rich = v(36) > 450;
      lambda_flips += (now_rich != rich) ? 1 : 0;
      rich = now_rich;
    }
    if (k == 20 * 5) {
      EXPECT_LT(v(43), 30);  // still cold
      EXPECT_EQ(v(1), 0);
    }
  }
  EXPECT_GT(rpms.size(), 20u);
  EXPECT_GT(max_rpm, 1500);  // the throttle was blipped
  EXPECT_TRUE(gas);
  EXPECT_GT(gas_reads, 20 * 400);
  EXPECT_GE(rig.table.Value(1, 43), 70);  // warm after ten minutes
  // About one rich and one lean phase a second: two changes a second.
  EXPECT_GE(lambda_flips, 90);
  EXPECT_LE(lambda_flips, 150);
}

// The compensation tables' operating points: the live temperatures and
// pressures stay within each table's breakpoints, and the gas pressure
// follows the load once on gas.
TEST(LiveBlocks, CompensationOperatingPointsLieOnTheirTables) {
  Rig rig(Hardware::kNex, 4);
  for (const std::size_t e : {7, 8, 9, 17}) {
    rig.Read(e);
  }
  const auto first = [&](std::size_t e) { return rig.table.Value(e, 0); };
  const auto last = [&](std::size_t e) { return rig.table.Value(e, 28); };
  double loaded = 0, idle = 0;
  int n_loaded = 0, n_idle = 0;
  for (int k = 20 * 60; k < 20 * 300; ++k) {
    rig.now_us = static_cast<std::int64_t>(k) * 50'000;
    rig.Read(1);
    const auto v = [&](std::size_t f) { return rig.table.Value(1, f); };
    ASSERT_GE(v(44), first(8));  // gas temperature
    ASSERT_LE(v(44), last(8));
    ASSERT_GE(v(43), first(7));  // reducer temperature
    ASSERT_LE(v(43), last(7));
    const double petrol_byte = v(34) * 51.0 / 1000;
    ASSERT_GE(petrol_byte, first(17));
    ASSERT_LE(petrol_byte, last(17));
    if (v(1) == 1 && v(33) > 1000) {  // on gas, pressure built up
      ASSERT_GE(v(33), first(9));
      ASSERT_LE(v(33), last(9));
      (v(49) > 600 ? loaded : idle) += v(33);
      ++(v(49) > 600 ? n_loaded : n_idle);
    }
  }
  ASSERT_GT(n_loaded, 0);
  ASSERT_GT(n_idle, 0);
  EXPECT_GT(loaded / n_loaded, idle / n_idle + 40);
}

TEST(LiveBlocks, RpmSurvivesTheFactorAndTheSeedDecidesTheNoise) {
  Rig one(Hardware::kNex, 5);
  Rig two(Hardware::kNex, 5);
  Rig other(Hardware::kNex, 6);
  bool differs = false;
  for (int k = 0; k < 200; ++k) {
    for (Rig* r : {&one, &two, &other}) {
      r->now_us = static_cast<std::int64_t>(k) * 50'000;
    }
    const Bytes a = one.Read(1);
    EXPECT_EQ(a, two.Read(1));
    differs = differs || a != other.Read(1);
  }
  EXPECT_TRUE(differs);

  // With the factor at 2 the period halves, so the rpm reads the same.
  one.Read(3);
  one.now_us += 50'000;
  one.Read(1);
  const std::int32_t at_one = one.table.Value(1, 32);
  one.table.SetValue(3, link::live::kRpmFactorField, 2);
  ASSERT_EQ(one.Write(3, 0x11), 0);
  one.Read(3);
  one.now_us += 50'000;
  one.Read(1);
  EXPECT_NEAR(one.table.Value(1, 32), at_one, 100);
  EXPECT_GT(one.table.Value(1, 32), 600);

  EXPECT_EQ(RpmPeriod(800, 1), 18750);
  EXPECT_EQ(RpmPeriod(800, 2), 9375);
  EXPECT_EQ(RpmPeriod(0, 1), 0);
  EXPECT_EQ(RpmPeriod(100, 1), 65535);  // clipped
  EXPECT_EQ(RpmIndex(800), 2);
  EXPECT_EQ(RpmIndex(100'000), 23);
  EXPECT_EQ(InjectionTimeIndex(3000), 4);
  EXPECT_EQ(InjectionTimeIndex(1'000'000), 22);
}

TEST(LiveBlocks, ObdReadingsFollowTheEngine) {
  Rig rig;
  rig.now_us = 90'000'000;  // warm probes, closed loop
  rig.Read(12);
  EXPECT_EQ(rig.table.Value(12, 25), 0x03);
  EXPECT_EQ(rig.table.Value(12, 26), 2);
  for (const std::size_t trim : {30, 34, 38, 42}) {
    EXPECT_GE(rig.table.Value(12, trim), 100) << trim;
    EXPECT_LE(rig.table.Value(12, trim), 160) << trim;
  }
  // The run flag is the workstation's: written, it stays.
  rig.table.SetValue(12, 24, 1);
  ASSERT_EQ(rig.Write(12, 0x45), 0);
  rig.Read(12);
  EXPECT_EQ(rig.table.Value(12, 24), 1);
}

}  // namespace
}  // namespace velmora::sim
