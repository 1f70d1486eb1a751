#include <gtest/gtest.h>

#include "core/hex.h"
#include "core/text.h"
#include "link/ecu_frame.h"
#include "sim/fault_injector.h"
#include "sim/options.h"
#include "sim/request_splitter.h"

namespace velmora::sim {
namespace {

const Bytes kAnswer = core::HexToBin("42011430009A02000512091400190106800800040067").value();

// The fault each of the first n requests gets.
std::vector<FaultKind> Kinds(const FaultOptions& o, int n) {
  FaultInjector f(o);
  std::vector<FaultKind> kinds;
  for (int i = 0; i < n; ++i) {
    kinds.push_back(f.Shape(kAnswer).kind);
  }
  return kinds;
}

TEST(FaultInjector, EachFaultHitsEveryNthRequestAndShapesTheAnswer) {
  using K = FaultKind;
  EXPECT_EQ(Kinds(FaultOptions{}, 3), (std::vector<K>{K::kNone, K::kNone, K::kNone}));
  EXPECT_EQ(Kinds(FaultOptions{.drop_every = 2}, 4),
            (std::vector<K>{K::kNone, K::kDrop, K::kNone, K::kDrop}));
  EXPECT_EQ(Kinds(FaultOptions{.silent_after = 2}, 4),
            (std::vector<K>{K::kNone, K::kNone, K::kSilent, K::kSilent}));

  FaultInjector bad_xor(FaultOptions{.bad_xor_every = 1});
  const ShapedAnswer x = bad_xor.Shape(kAnswer);
  ASSERT_TRUE(x.bytes);
  EXPECT_EQ(x.bytes->size(), kAnswer.size());
  EXPECT_NE(link::CheckXor(*x.bytes), 0);
  EXPECT_TRUE(std::equal(kAnswer.begin(), kAnswer.end() - 1, x.bytes->begin()));

  FaultInjector truncate(FaultOptions{.truncate_every = 1});
  const ShapedAnswer t = truncate.Shape(kAnswer);
  ASSERT_TRUE(t.bytes);
  EXPECT_EQ(*t.bytes, Bytes(kAnswer.begin(), kAnswer.begin() + 11));

  FaultInjector garbage(FaultOptions{.garbage_every = 1});
  const ShapedAnswer g = garbage.Shape(kAnswer);
  ASSERT_TRUE(g.bytes);
  EXPECT_EQ(g.bytes->size(), kAnswer.size());
  EXPECT_EQ(std::count(g.bytes->begin(), g.bytes->end(), link::kAnswerFirst), 0);

  FaultInjector delay(FaultOptions{.delay_every = 3, .delay_ms = 700});
  EXPECT_EQ(delay.Shape(kAnswer).extra_delay_us, 0);
  EXPECT_EQ(delay.Shape(kAnswer).extra_delay_us, 0);
  const ShapedAnswer d = delay.Shape(kAnswer);
  EXPECT_EQ(d.extra_delay_us, 700'000);
  EXPECT_EQ(d.bytes, kAnswer);
  EXPECT_EQ(delay.RequestsSeen(), 3);

  FaultInjector drop(FaultOptions{.drop_every = 1});
  EXPECT_FALSE(drop.Shape(kAnswer).bytes);
}

TEST(RequestSplitter, FindsFramesInNoiseAcrossReadsAndDropsStalePieces) {
  RequestSplitter s(50'000);
  const Bytes a = core::HexToBin("4102032161").value();
  const Bytes b = core::HexToBin("4102061200006E39").value();
  Bytes stream = {0x00, 0x41, 0x41, 0x02, 0x01};  // noise, a bad length
  stream.insert(stream.end(), a.begin(), a.end());
  stream.insert(stream.end(), b.begin(), b.begin() + 3);
  EXPECT_EQ(s.Feed(stream, 1000), (std::vector<Bytes>{a}));
  EXPECT_EQ(s.Feed(Bytes(b.begin() + 3, b.end()), 2000), (std::vector<Bytes>{b}));

  // A piece followed by a long silence is thrown away.
  EXPECT_TRUE(s.Feed(Bytes(b.begin(), b.begin() + 4), 10'000).empty());
  EXPECT_EQ(s.Feed(a, 100'000), (std::vector<Bytes>{a}));
}

TEST(SimOptions, ReadsEveryOptionAndRefusesBadOnes) {
  const std::vector<std::string> words = core::Split(
      "--hw 3rd --device=/dev/ttyS1 --root=/opt/v --port=3 --state /tmp/st --baud=57600 "
      "--proc-us=250 --slow-ms=900 --log --seed=4 --record=/tmp/r --drop-every=5 "
      "--bad-xor-every=6 --truncate-every=7 --delay-every=8 --delay-ms=1200 --garbage-every=9 "
      "--silent-after=10 --silent-after-command=13:2",
      ' ');
  const std::vector<std::string_view> args(words.begin(), words.end());
  std::string error;
  const auto o = ParseSimOptions(args, error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->hardware, Hardware::kThird);
  EXPECT_EQ(o->device + o->root + o->state_file + o->record_file, "/dev/ttyS1/opt/v/tmp/st/tmp/r");
  EXPECT_EQ(
      (std::vector<long>{o->port, o->baud, o->proc_us, o->slow_ms, static_cast<long>(o->seed)}),
      (std::vector<long>{3, 57600, 250, 900, 4}));
  EXPECT_TRUE(o->log);
  const FaultOptions& f = o->faults;
  EXPECT_EQ((std::vector<long>{f.drop_every, f.bad_xor_every, f.truncate_every, f.delay_every,
                               f.delay_ms, f.garbage_every, f.silent_after}),
            (std::vector<long>{5, 6, 7, 8, 1200, 9, 10}));
  // Silent from the request after the second bank-1 write on, whatever it is.
  CommandSilence silence = f.silent_after_command;
  const Bytes write = {0x41, 0x02, 0x03, 0x13, 0x53};
  const Bytes read = {0x41, 0x02, 0x03, 0x12, 0x52};
  EXPECT_EQ(
      (std::vector<bool>{silence.Silences(read), silence.Silences(write), silence.Silences(read),
                         silence.Silences(write), silence.Silences(read), silence.Silences(write)}),
      (std::vector<bool>{false, false, false, false, true, true}));

  const std::vector<std::vector<std::string_view>> bad = {{"--hw", "4th"},
                                                          {"--port", "256"},
                                                          {"--port"},
                                                          {"--baud", "fast"},
                                                          {"--drop-every", "-1"},
                                                          {"--frobnicate", "1"},
                                                          {"--state", ""},
                                                          {"--silent-after-command", "13"},
                                                          {"--silent-after-command", "1G:2"},
                                                          {"--silent-after-command", "13:-1"}};
  for (const auto& b : bad) {
    error.clear();
    EXPECT_FALSE(ParseSimOptions(b, error)) << b[0];
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace velmora::sim
