#include "link/message_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/hex.h"
#include "core/smoothing.h"
#include "link/ecu_frame.h"
#include "link/message_table_codec.h"
#include "tests/link/fake_link.h"

namespace velmora::link {
namespace {

using testing::ChannelRig;
using testing::Reply;

constexpr LinkTimes kTimes{1'000'000, 500'000, 20};

core::MessageEntry MakeEntry(std::int32_t number, const std::string& layout,
                             const std::string& request = "4102030C4C") {
  core::MessageEntry e;
  e.number = number;
  e.name = "E" + std::to_string(number);
  e.request_hex = request;
  e.fields = core::ParseFieldList(layout, nullptr);
  e.values.assign(e.fields.size(), 0);
  return e;
}

// An entry with `count` one-byte fields at positions 6, 7, ...
std::string ByteLayout(int count) {
  std::string s;
  for (int i = 0; i < count; ++i) {
    s += (i == 0 ? "" : ";") + std::string("UB,") + std::to_string(6 + i) + ",1";
  }
  return s;
}

// A table whose entry at index `index` is `e`, the others empty placeholders
// numbered like their index.
MessageTable TableWith(std::vector<std::pair<std::size_t, core::MessageEntry>> entries,
                       MessageTable::WarningLog log = {}) {
  std::size_t size = 0;
  for (const auto& [i, e] : entries) {
    size = std::max(size, i + 1);
  }
  std::vector<core::MessageEntry> all(size);
  for (std::size_t i = 0; i < size; ++i) {
    all[i].number = static_cast<std::int32_t>(i);
  }
  for (auto& [i, e] : entries) {
    all[i] = e;
  }
  return MessageTable(std::move(all), std::move(log));
}

Bytes Frame(std::uint8_t command, const Bytes& data) {
  Bytes body{0x00};
  body.insert(body.end(), data.begin(), data.end());
  return ComponiFrame(kAnswerFirst, kAnswerSecond, command, body).value();
}

TEST(MessageTableDecode, ByteOrdersSignsAndMultipliers) {
  auto t = TableWith({{0, MakeEntry(0, "UW,5,1;SB,6,1;SL,5,1;SW,8,1;UB,10,10")}});
  t.DecodificaRisposta(Bytes{0x42, 0x01, 0x07, 0x21, 0x00, 0x34, 0x12}, 0);
  EXPECT_EQ(t.Value(0, 0), 13312);  // b[4] + 256 * b[5] = 0x3400
  t.DecodificaRisposta(Bytes{0x42, 0x01, 0x04, 0x21, 0x00, 0xF0}, 0);
  EXPECT_EQ(t.Value(0, 1), -16);
  t.DecodificaRisposta(Bytes{0x42, 0x01, 0x08, 0x21, 0x00, 0x12, 0x34, 0x56, 0x78, 0xF0}, 0);
  EXPECT_EQ(t.Value(0, 2), 0x56781234);
  EXPECT_EQ(t.Value(0, 3), static_cast<std::int16_t>(0x7856));
  EXPECT_EQ(t.Value(0, 4), 2400);  // 240 x 10
  t.DecodificaRisposta(Bytes{0x42, 0x01, 0x08, 0x21, 0x00, 0x12, 0x34, 0x00, 0x80, 0xF0}, 0);
  EXPECT_EQ(t.Value(0, 2), 0x00801234);
  EXPECT_EQ(t.Value(0, 3), -32768);
  t.DecodificaRisposta(Bytes{0x42, 0x01, 0x08, 0x21, 0x00, 0x12, 0x34, 0x80, 0x00}, 0);
  EXPECT_EQ(t.Value(0, 2), static_cast<std::int32_t>(0x80001234));

  auto m = TableWith({{0, MakeEntry(0, "UB,6,10;SB,6,-1;SL,1,1;SL,1,-2")}});
  m.DecodificaRisposta(Bytes{0x42, 0x01, 0x03, 0x0C, 0x00, 200}, 0);
  EXPECT_EQ(m.Value(0, 0), 2000);
  EXPECT_EQ(m.Value(0, 1), 56);  // -(-56)
  // SL over 01 03 0C 00: words 0x0103 then 0x0C00.
  EXPECT_EQ(m.Value(0, 2), 0x0C000103);
  EXPECT_EQ(m.Value(0, 3), -2 * 0x0C000103);

  // 64-bit products saturate to 32 bits instead of wrapping.
  auto s = TableWith({{0, MakeEntry(0, "SL,0,1000;SL,0,-1000;UW,1,2147483647")}});
  s.DecodificaRisposta(Bytes{0x7F, 0xFF, 0x7F, 0xFF}, 0);
  EXPECT_EQ(s.Value(0, 0), INT32_MAX);
  EXPECT_EQ(s.Value(0, 1), INT32_MIN);
  EXPECT_EQ(s.Value(0, 2), INT32_MAX);
}

TEST(MessageTableEncode, RoundingClampingAndByteOrder) {
  auto t = TableWith({{0, MakeEntry(0, "UW,6,10;SB,8,1;SL,9,1;XX,13,1;UB,13,1;SW,14,1")}});
  t.SetValue(0, 0, 2500);
  t.SetValue(0, 1, -300);
  t.SetValue(0, 2, 0x56781234);
  t.SetValue(0, 3, 99);  // unknown type: adds nothing
  t.SetValue(0, 4, 300);
  t.SetValue(0, 5, -2);
  EXPECT_EQ(t.CodificaValori(0),
            (Bytes{0xFA, 0x00, 0x80, 0x34, 0x12, 0x78, 0x56, 0x2C, 0xFE, 0xFF}));

  // Halves to even for UB, UW and SL; SB rounds down; SB keeps 127 at most.
  auto r = TableWith({{0, MakeEntry(0, "UB,6,10;UB,7,10;UW,8,4;SB,10,4;SB,11,4;SB,12,1;SL,0,2")}});
  r.SetValue(0, 0, 25);   // 2.5 -> 2
  r.SetValue(0, 1, 35);   // 3.5 -> 4
  r.SetValue(0, 2, -6);   // -1.5 -> -2 -> FE FF
  r.SetValue(0, 3, -5);   // -1.25 -> -2
  r.SetValue(0, 4, 7);    // 1.75 -> 1
  r.SetValue(0, 5, 400);  // -> 127
  r.SetValue(0, 6, -3);   // -1.5 -> -2
  EXPECT_EQ(r.CodificaValori(0),
            (Bytes{0x02, 0x04, 0xFE, 0xFF, 0xFE, 0x01, 0x7F, 0xFE, 0xFF, 0xFF, 0xFF}));

  // A multiplier of 0 encodes like 1, so the field keeps its bytes and the
  // fields after it stay where they belong.
  auto z = TableWith({{0, MakeEntry(0, "UW,6,0;UB,8,1")}});
  z.SetValue(0, 0, 0x1234);
  z.SetValue(0, 1, 7);
  EXPECT_EQ(z.CodificaValori(0), (Bytes{0x34, 0x12, 0x07}));
  z.DecodificaRisposta(Bytes{0x42, 0x01, 0x05, 0x0D, 0x00, 0x10, 0x27, 0x09}, 0);
  EXPECT_EQ(z.Value(0, 0), 10000);
  EXPECT_EQ(z.Value(0, 1), 9);
  EXPECT_EQ(z.Warnings().size(), 1u);  // reported once, when the table was built
}

TEST(MessageTableMends, FieldsBeyondTheAnswerKeepTheirValuesAndAreReportedOnce) {
  std::vector<std::string> logged;
  auto t = TableWith({{0, MakeEntry(0, "UB,6,1;UW,7,1;SL,5,1;UB,0,1;UB,-3,1")}},
                     [&](std::string_view w) { logged.emplace_back(w); });
  for (std::size_t f = 0; f < 5; ++f) {
    t.SetValue(0, f, 77);
  }
  t.DecodificaRisposta(Bytes{0x42, 0x01, 0x05, 0x0C, 0x00, 0x05, 0x06, 0x07}, 0);
  EXPECT_EQ(t.Value(0, 0), 5);
  EXPECT_EQ(t.Value(0, 1), 0x0706);
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_NE(logged[0].find("field 2"), std::string::npos);
  EXPECT_EQ(t.Value(0, 2), 77);
  EXPECT_EQ(t.Value(0, 3), 77);
  EXPECT_EQ(t.Value(0, 4), 77);

  t.DecodificaRisposta(Bytes{0x42}, 0);
  EXPECT_EQ(t.Value(0, 0), 5);
  t.DecodificaRisposta(Bytes{}, 0);
  EXPECT_EQ(logged.size(), 1u);
  EXPECT_EQ(t.Warnings(), logged);
}

TEST(MessageTableMends, IndexesOutsideTheTableReadZeroAndWriteNothing) {
  auto t = TableWith({{0, MakeEntry(0, "UB,6,1;UB,7,1")}});
  t.SetValue(0, 1, 9);
  t.SetValue(0, 2, 5);
  t.SetValue(7, 0, 5);
  EXPECT_EQ(t.Value(0, 1), 9);
  EXPECT_EQ(t.Value(0, 2), 0);
  EXPECT_EQ(t.Value(7, 0), 0);
  EXPECT_EQ(t.Shown(7, 0), 0);
  EXPECT_EQ(t.Shown(0, 99), 0);
  EXPECT_EQ(t.FieldCount(0), 2u);
  EXPECT_EQ(t.FieldCount(7), 0u);
  EXPECT_EQ(t.Entry(7), nullptr);
  EXPECT_TRUE(t.LastAnswer(7).empty());
  EXPECT_TRUE(t.CodificaValori(7).empty());
  t.DecodificaRisposta(Bytes{0x42, 0x01}, 7);
  t.SetLastAnswer(7, Bytes{1});
  EXPECT_FALSE(t.Periodic(7));

  // An entry built by hand with fewer values than fields is evened out.
  core::MessageEntry odd = MakeEntry(0, "UB,6,1;UB,7,1;UB,8,1");
  odd.values.clear();
  const MessageTable u({odd});
  EXPECT_EQ(u.FieldCount(0), 3u);
  EXPECT_EQ(u.Value(0, 2), 0);
}

// The main live record (number 1) as words, field k at data bytes 2k and
// 2k + 1, and block 3 (index 3) as bytes, field k at data byte k.
struct LiveTables {
  static std::string MainLayout() {
    std::string s;
    for (int f = 0; f < 53; ++f) {
      s += (f == 0 ? "" : ";") + std::string("UW,") + std::to_string(6 + 2 * f) + ",1";
    }
    return s;
  }
  MessageTable table =
      TableWith({{1, MakeEntry(1, MainLayout())}, {3, MakeEntry(3, ByteLayout(61), "4102030E4E")}});

  void Block3(std::uint8_t factor, std::uint8_t bits) {
    Bytes data(75, 0);
    data[live::kRpmFactorField] = factor;
    data[live::kStatusField] = bits;
    table.DecodificaRisposta(Frame(0x0E, data), 3);
  }
  void Main(std::uint16_t period, std::uint16_t lambda, std::uint16_t pressure) {
    Bytes data(120, 0);
    auto put = [&](std::size_t field, std::uint16_t v) {
      data[2 * field] = static_cast<std::uint8_t>(v & 0xFF);
      data[2 * field + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    put(32, period);
    for (const std::size_t f : live::kLambdaFields) {
      put(f, lambda);
    }
    for (const std::size_t f : live::kPressureFields) {
      put(f, pressure);
    }
    table.DecodificaRisposta(Frame(0x0C, data), 1);
  }
};

TEST(MessageTablePostProcessing, RpmFromThePeriodAndTheFactorOfBlock3) {
  LiveTables l;
  l.Main(18750, 0, 0);
  EXPECT_EQ(l.table.Value(1, 32), 0);  // block 3 not read yet: the product is 0
  l.Block3(1, 0);
  l.Main(18750, 0, 0);
  EXPECT_EQ(l.table.Value(1, 32), 800);
  l.Block3(2, 0);
  l.Main(18750, 0, 0);
  EXPECT_EQ(l.table.Value(1, 32), 400);
  l.Main(7, 0, 0);
  EXPECT_EQ(l.table.Value(1, 32), 1'071'428);  // integer division
  l.Main(0, 0, 0);
  EXPECT_EQ(l.table.Value(1, 32), 0);

  // A shorter answer leaves the rpm of the last one, not a second division.
  l.Main(9375, 0, 0);
  ASSERT_EQ(l.table.Value(1, 32), 800);
  l.table.DecodificaRisposta(Frame(0x0C, Bytes(20, 0)), 1);
  EXPECT_EQ(l.table.Value(1, 32), 800);
}

TEST(MessageTablePostProcessing, LambdaAndPressureAreSmoothedBesideTheRawValues) {
  LiveTables l;
  l.table.SetSmoothingWeights(5, 25);  // pressure weight clamped to 10
  l.Main(0, 100, 1000);
  EXPECT_EQ(l.table.Value(1, 36), 100);
  EXPECT_EQ(l.table.Shown(1, 36), 50);  // K = 5: halfway from 0
  EXPECT_EQ(l.table.Shown(1, 40), 50);
  EXPECT_EQ(l.table.Shown(1, 33), 1000);
  EXPECT_EQ(l.table.Shown(1, 49), 1000);
  l.Main(0, 100, 0);
  EXPECT_EQ(l.table.Shown(1, 37), 75);
  EXPECT_EQ(l.table.Shown(1, 33), 0);
  EXPECT_EQ(l.table.Shown(1, 35), l.table.Value(1, 35));  // not a smoothed field

  l.table.SetSmoothingWeights(-4, 1);
  l.Main(0, 0, 1000);
  EXPECT_EQ(l.table.Shown(1, 39), 68);  // 0.1 * 0 + 0.9 * 75 = 67.5 -> 68 (even)
  EXPECT_EQ(l.table.Shown(1, 49), 100);

  EXPECT_EQ(core::SmoothReading(0, 100, 5), 50);
  EXPECT_EQ(core::SmoothReading(0, 5, 5), 2);  // 2.5 -> 2
  EXPECT_EQ(core::SmoothReading(0, 7, 5), 4);  // 3.5 -> 4
  EXPECT_EQ(core::SmoothReading(0, -5, 5), -2);
  EXPECT_EQ(core::SmoothReading(INT32_MIN, INT32_MAX, 5), 0);
  EXPECT_EQ(core::SmoothReading(3, 1000, 10), 1000);
  EXPECT_EQ(core::SmoothReading(3, 1000, 0), 103);  // weight clamped to 1
}

TEST(MessageTablePostProcessing, StatusCodeOfBlock3) {
  LiveTables l;
  EXPECT_EQ(l.table.StatusCode(), 0);
  l.Block3(1, 0x02);
  EXPECT_EQ(l.table.StatusCode(), 64);
  l.Block3(1, 0xFD);
  EXPECT_EQ(l.table.StatusCode(), 128);
  l.Block3(1, 0x06);
  EXPECT_EQ(l.table.StatusCode(), 64);
}

class RecordingSink final : public LiveRecordSink {
 public:
  bool Recording() const override { return recording; }
  std::int64_t ElapsedMs() override { return ms; }
  void AppendRecord(const core::MessageEntry& entry, std::span<const std::uint8_t> answer,
                    std::int64_t at) override {
    records.push_back({entry.number, entry.values, Bytes(answer.begin(), answer.end()), at});
  }
  void WriteTraceLine(std::string_view line) override { lines.emplace_back(line); }

  struct Rec {
    std::int32_t number;
    std::vector<std::int32_t> values;
    Bytes answer;
    std::int64_t ms;
  };
  bool recording = false;
  std::int64_t ms = 0;
  std::vector<Rec> records;
  std::vector<std::string> lines;
};

TEST(MessageTablePostProcessing, TracedEntriesGoToTheRecorderOnlyWhileItRecords) {
  auto t = TableWith({{1, MakeEntry(1, "UB,6,1")},
                      {3, MakeEntry(3, "UB,6,1")},
                      {5, MakeEntry(5, "UB,6,1", "4102033070")},
                      {12, MakeEntry(12, "UB,6,1", "4102034404")}});
  RecordingSink sink;
  t.SetRecordSink(&sink);
  const Bytes live = Frame(0x0C, {0x2A});
  t.DecodificaRisposta(live, 1);
  EXPECT_TRUE(sink.records.empty());
  EXPECT_TRUE(sink.lines.empty());

  sink.recording = true;
  sink.ms = 1500;
  t.DecodificaRisposta(live, 1);
  sink.ms = 1550;
  const Bytes obd = Frame(0x44, {0x07});
  const Bytes coll = Frame(0x30, {0x06});
  t.DecodificaRisposta(obd, 12);
  t.DecodificaRisposta(coll, 5);
  t.DecodificaRisposta(Frame(0x0E, {0x01}), 3);
  t.DecodificaRisposta(Frame(0x0E, {0x01}), 0);
  ASSERT_EQ(sink.records.size(), 3u);
  EXPECT_EQ(sink.records[0].number, 1);
  EXPECT_EQ(sink.records[0].values, std::vector<std::int32_t>{0x2A});
  EXPECT_EQ(sink.records[0].answer, live);
  EXPECT_EQ(sink.records[0].ms, 1500);
  EXPECT_EQ(sink.records[1].number, 12);
  EXPECT_EQ(sink.records[2].number, 5);
  EXPECT_EQ(sink.lines,
            (std::vector<std::string>{"CMD_READ_MEM1", "1500 T 4102032161",
                                      "1500 R " + core::BinToHex(live), "CMD_READ_OBD_DATA",
                                      "1550 T 4102034404", "1550 R " + core::BinToHex(obd), "E5",
                                      "1550 T 4102033070", "1550 R " + core::BinToHex(coll)}));
  EXPECT_EQ(core::BinToHex(live), "4201050C002A60");
}

struct LinkRig {
  ChannelRig rig;
  EcuAccess access{rig.pipe, kTimes};
  std::vector<Bytes> frames;
  std::vector<Bytes> periodic;
  Bytes answer;
  bool answer_ecu = true;
  bool answer_periodic = true;

  LinkRig() {
    rig.link.handler = [this](const testing::Request& r) -> std::optional<Bytes> {
      if (r.type == static_cast<std::uint8_t>(MsgType::kEcuFrame)) {
        frames.push_back(r.payload);
        if (!answer_ecu) {
          return std::nullopt;
        }
        return Reply(6, answer);
      }
      if (r.type == static_cast<std::uint8_t>(MsgType::kPeriodic)) {
        periodic.push_back(r.payload);
        if (!answer_periodic) {
          return std::nullopt;
        }
        return Reply(11, r.payload);
      }
      return Reply(0);
    };
  }
};

TEST(MessageTableLink, LeggiVoceKeepsTheAnswerOrTheOldValues) {
  LinkRig l;
  auto t = TableWith({{0, MakeEntry(0, "UB,6,1;UW,7,1")}, {1, MakeEntry(1, "UB,6,1", "41 02")}});
  l.answer = Frame(0x0C, {0x11, 0x22, 0x33});
  ASSERT_EQ(t.LeggiVoce(l.access, 0), kOk);
  ASSERT_EQ(l.frames.size(), 1u);
  EXPECT_EQ(l.frames[0], (Bytes{0x41, 0x02, 0x03, 0x0C, 0x4C}));
  EXPECT_EQ(t.LastAnswer(0), l.answer);
  EXPECT_EQ(t.Value(0, 0), 0x11);
  EXPECT_EQ(t.Value(0, 1), 0x3322);
  const Bytes first = l.answer;

  l.answer_ecu = false;  // silence: the channel times out
  EXPECT_NE(t.LeggiVoce(l.access, 0), kOk);
  EXPECT_EQ(t.Value(0, 0), 0x11);
  EXPECT_EQ(t.Value(0, 1), 0x3322);
  EXPECT_EQ(t.LastAnswer(0), first);

  // Nothing is sent for a request that is not hexadecimal or an entry that
  // does not exist.
  const std::size_t sent = l.frames.size();
  EXPECT_EQ(t.LeggiVoce(l.access, 1), kInvalidRequest);
  EXPECT_EQ(t.LeggiVoce(l.access, 9), kInvalidRequest);
  EXPECT_EQ(l.frames.size(), sent);
}

TEST(MessageTableLink, PeriodicSwitchAndTheObdAlignment) {
  LinkRig l;
  auto t = TableWith({{2, MakeEntry(2, "UB,6,1;UB,7,1;UB,8,1", "4102030D4D")},
                      {12, MakeEntry(12, "UB,6,1", "4102034404")}});
  ASSERT_EQ(t.AttivaPeriodico(l.access, 12, true), kOk);
  EXPECT_TRUE(t.Periodic(12));
  ASSERT_EQ(l.periodic.size(), 1u);
  EXPECT_EQ(l.periodic[0], (Bytes{12, 1}));

  // Bit 2 of block 2 field 2 clear while periodic: switched off.
  t.SetValue(2, 2, 0xFB);
  ASSERT_EQ(t.AlignObdPeriodic(l.access), kOk);
  EXPECT_FALSE(t.Periodic(12));
  EXPECT_EQ(l.periodic.back(), (Bytes{12, 0}));
  ASSERT_EQ(t.AlignObdPeriodic(l.access), kOk);  // in step: nothing sent
  EXPECT_EQ(l.periodic.size(), 2u);

  // A failed switch leaves the flag; the next alignment tries again.
  t.SetValue(2, 2, 0x04);
  l.answer_periodic = false;
  EXPECT_NE(t.AlignObdPeriodic(l.access), kOk);
  EXPECT_FALSE(t.Periodic(12));
  l.answer_periodic = true;
  ASSERT_EQ(t.AlignObdPeriodic(l.access), kOk);
  EXPECT_TRUE(t.Periodic(12));
  EXPECT_EQ(l.periodic.back(), (Bytes{12, 1}));

  EXPECT_EQ(t.AttivaPeriodico(l.access, 40, true), kInvalidRequest);
  auto big = TableWith({{0, MakeEntry(300, "UB,6,1")}});
  const std::size_t sent = l.periodic.size();
  EXPECT_EQ(big.AttivaPeriodico(l.access, 0, true), kInvalidRequest);
  EXPECT_EQ(big.AlignObdPeriodic(l.access), kOk);  // no entry 12
  EXPECT_EQ(l.periodic.size(), sent);
}

}  // namespace
}  // namespace velmora::link
