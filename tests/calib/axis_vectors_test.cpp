#include "calib/axis_vectors.h"

#include <gtest/gtest.h>

namespace velmora::calib {
namespace {

AxisBreakpoints EvenBreakpoints() {
  AxisBreakpoints v;
  for (std::size_t i = 0; i < v.rpm.size(); ++i) {
    v.rpm[i] = static_cast<std::uint8_t>(i * 5);
  }
  for (std::size_t i = 0; i < v.time.size(); ++i) {
    v.time[i] = static_cast<std::uint8_t>(i * 7);
  }
  return v;
}

TEST(AxisVectors, EvenBreakpointsFillBothTables) {
  AxisBreakpoints v = EvenBreakpoints();
  for (std::size_t i = 0; i < v.rpm.size(); ++i) {
    v.rpm[i] = static_cast<std::uint8_t>(i * 4);
  }
  AxisTables t;
  ASSERT_EQ(VectorsToTables(v, &t), AxisFailure::kNone);
  ASSERT_EQ(t.rpm.size(), axis::kRpmTableSize);
  ASSERT_EQ(t.time.size(), axis::kTimeTableSize);
  for (std::size_t e = 0; e < 92; ++e) {
    EXPECT_EQ(t.rpm[e], e / 4) << e;
  }
  for (std::size_t e = 92; e < 128; ++e) {
    EXPECT_EQ(t.rpm[e], 23) << e;
  }
  for (std::size_t e = 0; e < 154; ++e) {
    EXPECT_EQ(t.time[e], e / 7) << e;
  }
  for (std::size_t e = 154; e < 180; ++e) {
    EXPECT_EQ(t.time[e], 22) << e;
  }
}

TEST(AxisVectors, EightByteSpacingAsFarAsTheTableGoes) {
  // 0, 8, 16 ... 112 for the first 15 breakpoints, then one entry apart up
  // to 121.
  AxisBreakpoints v = EvenBreakpoints();
  for (std::size_t i = 0; i < 15; ++i) {
    v.rpm[i] = static_cast<std::uint8_t>(i * 8);
  }
  for (std::size_t i = 15; i < 24; ++i) {
    v.rpm[i] = static_cast<std::uint8_t>(112 + (i - 14));
  }
  AxisTables t;
  ASSERT_EQ(VectorsToTables(v, &t), AxisFailure::kNone);
  for (std::size_t e = 0; e < 8; ++e) {
    EXPECT_EQ(t.rpm[e], 0) << e;
  }
  for (std::size_t e = 8; e < 16; ++e) {
    EXPECT_EQ(t.rpm[e], 1) << e;
  }
  for (std::size_t e = 16; e < 24; ++e) {
    EXPECT_EQ(t.rpm[e], 2) << e;
  }
  EXPECT_EQ(t.rpm[111], 13);
  EXPECT_EQ(t.rpm[112], 14);
  EXPECT_EQ(t.rpm[113], 15);
  EXPECT_EQ(t.rpm[120], 22);
  for (std::size_t e = 121; e < 128; ++e) {
    EXPECT_EQ(t.rpm[e], 23) << e;
  }
}

TEST(AxisVectors, InvalidVectorsFailAndLeaveTheTablesAlone) {
  const AxisTables before{Bytes{1, 2, 3}, Bytes{4, 5}};
  AxisTables t = before;

  AxisBreakpoints v = EvenBreakpoints();
  v.rpm[0] = 1;
  EXPECT_EQ(VectorsToTables(v, &t), AxisFailure::kRpmVector);
  v = EvenBreakpoints();
  v.rpm[10] = v.rpm[9];  // not rising
  EXPECT_EQ(VectorsToTables(v, &t), AxisFailure::kRpmVector);
  v = EvenBreakpoints();
  v.rpm[23] = 128;  // beyond the table
  EXPECT_EQ(VectorsToTables(v, &t), AxisFailure::kRpmVector);

  v = EvenBreakpoints();
  v.time[0] = 3;
  EXPECT_EQ(VectorsToTables(v, &t), AxisFailure::kTimeVector);
  v = EvenBreakpoints();
  v.time[5] = 2;
  EXPECT_EQ(VectorsToTables(v, &t), AxisFailure::kTimeVector);
  v = EvenBreakpoints();
  v.time[22] = 180;
  EXPECT_EQ(VectorsToTables(v, &t), AxisFailure::kTimeVector);
  v.time[22] = 179;
  v.time[21] = 178;
  v.rpm[3] = 200;  // the rpm axis is judged first
  EXPECT_EQ(VectorsToTables(v, &t), AxisFailure::kRpmVector);

  EXPECT_EQ(t.rpm, before.rpm);
  EXPECT_EQ(t.time, before.time);
  EXPECT_EQ(VectorsToTables(EvenBreakpoints(), nullptr), AxisFailure::kUnexpected);
}

TEST(AxisVectors, RoundTripsBothWays) {
  const AxisBreakpoints v = EvenBreakpoints();
  AxisTables t;
  ASSERT_EQ(VectorsToTables(v, &t), AxisFailure::kNone);
  AxisBreakpoints back;
  ASSERT_EQ(TablesToVectors(t.rpm, t.time, &back), AxisFailure::kNone);
  EXPECT_EQ(back, v);

  // Tightest axes: every entry its own breakpoint at the top.
  AxisBreakpoints tight;
  for (std::size_t i = 0; i < 24; ++i) {
    tight.rpm[i] = static_cast<std::uint8_t>(104 + i);
  }
  tight.rpm[0] = 0;
  for (std::size_t i = 0; i < 23; ++i) {
    tight.time[i] = static_cast<std::uint8_t>(157 + i);
  }
  tight.time[0] = 0;
  ASSERT_EQ(VectorsToTables(tight, &t), AxisFailure::kNone);
  EXPECT_EQ(t.rpm[127], 23);
  EXPECT_EQ(t.time[179], 22);
  AxisTables again;
  ASSERT_EQ(TablesToVectors(t.rpm, t.time, &back), AxisFailure::kNone);
  EXPECT_EQ(back, tight);
  ASSERT_EQ(VectorsToTables(back, &again), AxisFailure::kNone);
  EXPECT_EQ(again.rpm, t.rpm);
  EXPECT_EQ(again.time, t.time);
}

TEST(AxisVectors, TablesThatDoNotRiseByOneOrHaveTheWrongSizeAreRefused) {
  AxisTables good;
  ASSERT_EQ(VectorsToTables(EvenBreakpoints(), &good), AxisFailure::kNone);
  const AxisBreakpoints before = EvenBreakpoints();
  AxisBreakpoints out = before;
  out.rpm[1] = 99;
  const AxisBreakpoints marked = out;

  // Index jumps from 3 to 5.
  Bytes rpm = good.rpm;
  for (std::size_t e = 20; e < 25; ++e) {
    rpm[e] = 5;
  }
  ASSERT_EQ(rpm[19], 3);
  EXPECT_EQ(TablesToVectors(rpm, good.time, &out), AxisFailure::kIndexJump);

  // Does not start at 0.
  Bytes time = good.time;
  time[0] = 1;
  EXPECT_EQ(TablesToVectors(good.rpm, time, &out), AxisFailure::kIndexJump);

  // Falls back.
  rpm = good.rpm;
  rpm[30] = 4;
  EXPECT_EQ(TablesToVectors(rpm, good.time, &out), AxisFailure::kIndexJump);

  // Passes the last breakpoint (24 rpm, 23 injection time).
  rpm = good.rpm;
  rpm[127] = 24;
  EXPECT_EQ(TablesToVectors(rpm, good.time, &out), AxisFailure::kIndexJump);
  time = good.time;
  time[179] = 23;
  EXPECT_EQ(TablesToVectors(good.rpm, time, &out), AxisFailure::kIndexJump);

  // Never reaches the last breakpoint.
  rpm = good.rpm;
  for (std::size_t e = 115; e < 128; ++e) {
    rpm[e] = 22;
  }
  EXPECT_EQ(TablesToVectors(rpm, good.time, &out), AxisFailure::kIndexJump);
  EXPECT_EQ(TablesToVectors(good.rpm, Bytes(180, 0), &out), AxisFailure::kIndexJump);

  // Tables of the wrong size, or nowhere to put the result.
  rpm.assign(good.rpm.begin(), good.rpm.end() - 1);
  EXPECT_EQ(TablesToVectors(rpm, good.time, &out), AxisFailure::kUnexpected);
  time = good.time;
  time.push_back(22);
  EXPECT_EQ(TablesToVectors(good.rpm, time, &out), AxisFailure::kUnexpected);
  EXPECT_EQ(TablesToVectors({}, {}, &out), AxisFailure::kUnexpected);
  EXPECT_EQ(TablesToVectors(good.rpm, good.time, nullptr), AxisFailure::kUnexpected);
  EXPECT_EQ(out, marked);
}

}  // namespace
}  // namespace velmora::calib
